// Helpers of the unit tests: a temporary folder, whole files, redirected input.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "converter/picture.hpp"
#include "runtime/console.hpp"
#include "runtime/files.hpp"

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

// A BMP file: every field as in a well-formed 8-bit sheet of 48 x 42 pixels
// unless a case sets it; biSizeImage is the pixels' size unless set.
struct Bmp {
    std::int32_t width = 48;
    std::int32_t height = 42; // negative: rows stored top row first
    std::int16_t bits = 8;
    std::int32_t compression = 0;
    std::int32_t clrUsed = 4;
    std::int32_t paletteEntries = 4; // as stored, whatever biClrUsed says
    std::int32_t infoSize = 40;
    std::optional<std::int32_t> sizeImage;
    std::string pixels = std::string(2016, '\2');
    std::string masks; // after a 40-byte info header, or in a larger one
};

std::string BmpFile(const Bmp& bmp);

// One band of cells, each of 21 rows alike: a hexadecimal digit per pixel, t
// for a transparent one; a digit above 1 is a multicolour index.
SourceBitmap Band(const std::vector<std::string>& cells);

// While it lives, the console's lines and the files go to memory.
struct InMemory {
    explicit InMemory(std::vector<MemoryFile> volume = {});
    ~InMemory();
    ConsoleCapture console;
    std::vector<MemoryFile> files;
};
