// The converted sprites, in the order the writers write them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cell_size.hpp"
#include "picture.hpp"
#include "shared_colors.hpp"

constexpr std::size_t kSpriteDataBytes = 63;

struct SpriteCell {
    MachineWord x = 0; // column of the top-left pixel
    MachineWord y = 0; // row of the top-left pixel, 0 at the top
    // The values 0-3 that the text picture shows, 24 x row + column, four to a
    // byte, the first in the highest bits.
    std::array<std::uint8_t, kSpriteWidth * kSpriteHeight / 4> picture{};
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
