// Helpers of the unit tests: a temporary folder, whole files, redirected input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// A fresh folder, removed again with the object.
struct TemporaryFolder {
    TemporaryFolder();
    ~TemporaryFolder();
    std::string PathOf(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

std::string ReadWholeFile(const std::string& name);
void WriteWholeFile(const std::string& name, const std::string& bytes);

// Makes standard input a pipe that holds these bytes and then ends.
void RedirectStandardInput(const std::string& bytes);

// The low bytes of value, least significant first.
std::string LittleEndian(std::int64_t value, int bytes);
