// Cuts the picture into 24 x 21 cells and encodes each as a C64 multicolour
// sprite of 63 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "bitmap_reader.hpp"
#include "driver.hpp"

constexpr MachineWord kSpriteWidth = 24;
constexpr MachineWord kSpriteHeight = 21;
constexpr std::size_t kSpritePixels = 504;
constexpr std::size_t kSpriteDataBytes = 63;

// One cell row drawn as text: "." for index 0, else the index's digit. Kept in
// place rather than as a Text, so that a sheet of many sprites costs no heap
// block per row.
using PreviewRow = std::array<char, kSpriteWidth>;

struct SpriteCell {
    MachineWord x = 0;             // column of the top-left pixel
    MachineWord y = 0;             // row of the top-left pixel, 0 at the top
    std::int32_t firstPixel = 0;   // plane index of the top-left pixel
    std::array<std::uint8_t, kSpritePixels> pixels{}; // 24 x row + column
    std::array<std::uint8_t, 64> data{};              // 63 used; the last stays 0
    std::array<PreviewRow, kSpriteHeight> previewRows;
};

struct SpriteTable {
    std::vector<SpriteCell> cells; // by sprite number
    MachineWord spriteCount = 0;
};

// The preview row as a text: its characters up to the first byte 0, so that a
// row never drawn reads as the empty text, as a Text field would.
Text PreviewText(const PreviewRow& row);

// Cells are numbered left to right within a band of 21 rows, bands top to bottom.
void BuildSpriteGrid(MachineWord width, MachineWord height, SpriteTable& table);

// Copies every cell's pixels and draws its 21 preview rows, odd columns included.
void BuildPreviewRows(SpriteTable& table, const PixelPlane& pixels, MachineWord width);

// Packs the even columns of every row as bit pairs, leftmost in bits 7-6.
void EncodeMulticolor(SpriteTable& table);

// The whole phase: grid, progress line, multicolour test, preview rows, encoding.
void ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap, SpriteTable& table);
