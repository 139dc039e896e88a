// Cuts the picture into 24 x 21 cells and encodes each as a C64 sprite of 63
// bytes: multicolour, or hires (single-colour) with -hires.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "color_choice.hpp"

constexpr std::size_t kSpriteWidth = 24;
constexpr std::size_t kSpriteHeight = 21;
constexpr std::size_t kSpriteDataBytes = 63;

struct SpriteCell {
    MachineWord x = 0; // column of the top-left pixel
    MachineWord y = 0; // row of the top-left pixel, 0 at the top
    std::array<std::uint8_t, kSpriteWidth * kSpriteHeight> pixels{}; // 24 x row + column
    std::array<std::uint8_t, kSpriteDataBytes> data{};
    // The sprite's own colour in bits 0-3, bit 7 set for multicolour, as the
    // SpritePad file stores it.
    std::uint8_t attribute = 0;
};

struct SpriteTable {
    // By sprite number: left to right within a band of 21 rows, bands top to
    // bottom.
    std::vector<SpriteCell> cells;
    SharedColors colors;
};

// The whole phase: the progress line, the multicolour test (which ends the run
// for a picture without index 2 or 3; with -colors there is none), then the
// cells and their encoding. With -colors the pixels are C64 colours, shown by
// the shared colours and each sprite's own.
SpriteTable ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap, const SharedColors& colors);

// Appends row 0-20 of the cell drawn as 24 characters: "." for index 0, else
// the index's digit, odd columns included.
void AppendPreviewText(const SpriteCell& cell, std::size_t row, Text& text);
