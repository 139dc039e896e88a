// Cuts the picture into 24 x 21 cells and encodes each as a C64 sprite of 63
// bytes: multicolour, or hires (single-colour) with -hires.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "bitmap_reader.hpp"
#include "plane.hpp"
#include "run_control.hpp"

constexpr MachineWord kSpriteWidth = 24;
constexpr MachineWord kSpriteHeight = 21;
constexpr std::size_t kSpritePixels = 504;
constexpr std::size_t kSpriteDataBytes = 63;

struct SpriteCell {
    MachineWord x = 0;             // column of the top-left pixel
    MachineWord y = 0;             // row of the top-left pixel, 0 at the top
    std::int32_t firstPixel = 0;   // plane index of the top-left pixel
    std::array<std::uint8_t, kSpritePixels> pixels{}; // 24 x row + column
    std::array<std::uint8_t, 64> data{};              // 63 used; the last stays 0
    // The preview rows are drawn from pixels when they are written (PreviewText):
    // a stored copy would add a third of the table's memory for nothing.
};

struct SpriteTable {
    std::vector<SpriteCell> cells; // by sprite number
    MachineWord spriteCount = 0;
};

// Row 0-20 of the cell drawn as 24 characters: "." for index 0, else the
// index's digit, odd columns included.
Text PreviewText(const SpriteCell& cell, std::size_t row);
void AppendPreviewText(const SpriteCell& cell, std::size_t row, Text& text);

// Adds the cells to an empty table, numbered left to right within a band of
// 21 rows, bands top to bottom.
void BuildSpriteGrid(MachineWord width, MachineWord height, SpriteTable& table);

// Fills every cell's pixels from its 24 x 21 part of the plane; its data bytes
// and preview rows are made from them.
void FillCellPixels(SpriteTable& table, const PixelPlane& pixels, MachineWord width);

// Packs the even columns of every row as bit pairs, leftmost in bits 7-6.
void EncodeMulticolor(SpriteTable& table);

// Packs every column of every row as one bit, leftmost in bit 7 (index 1 sets it).
void EncodeHires(SpriteTable& table);

// The whole phase: progress line, multicolour test, grid, cell pixels, encoding.
void ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap, SpriteTable& table);
