// The converted sprites, in the order the writers write them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "c64_colors.hpp"
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
    // As the SpritePad file stores it: see the attribute bits below.
    std::uint8_t attribute = 0;
};

// The attribute byte: the sprite's own colour in bits 0-3; bit 4 set for a
// sprite whose overlay (-overlay) is the next sprite; bit 7 set for a
// multicolour sprite.
constexpr std::uint8_t kOwnColorBits = 15;
constexpr std::uint8_t kOverlaidBit = 16;
constexpr std::uint8_t kMulticolorBit = 128;

constexpr std::uint8_t AttributeByte(std::uint8_t ownColor, bool multicolor, bool overlaid)
{
    return static_cast<std::uint8_t>(ownColor | (multicolor ? kMulticolorBit : 0) | (overlaid ? kOverlaidBit : 0));
}

constexpr std::uint8_t OwnColor(const SpriteCell& cell)
{
    return cell.attribute & kOwnColorBits;
}

constexpr bool IsMulticolor(const SpriteCell& cell)
{
    return (cell.attribute & kMulticolorBit) != 0;
}

// Whether the next sprite lies over this one.
constexpr bool IsOverlaid(const SpriteCell& cell)
{
    return (cell.attribute & kOverlaidBit) != 0;
}

struct SpriteTable {
    // By sprite number: left to right within a band of 21 rows, bands top to
    // bottom; an overlay right after the sprite beneath it.
    std::vector<SpriteCell> cells;
    SharedColors colors;
    // The sheet the sprites were cut from, which the preview shows: its size,
    // and with -colors its palette when that was a C64 palette.
    MachineWord sheetWidth = 0;
    MachineWord sheetHeight = 0;
    std::optional<std::array<Rgb, kC64ColorCount>> c64Palette;
};
