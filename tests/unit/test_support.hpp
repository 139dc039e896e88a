// Helpers shared by the unit tests: temporary files and redirected input.
#pragma once

#include <filesystem>
#include <string>

// A fresh, empty folder that is removed again with the object.
struct TemporaryFolder {
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::string PathOf(const std::string& name) const;
    std::filesystem::path path;
};

std::string ReadWholeFile(const std::string& name);
void WriteWholeFile(const std::string& name, const std::string& bytes);

// Makes standard input a pipe that holds bytes and then ends.
void RedirectStandardInput(const std::string& bytes);
