// The sheet in memory, whatever its file format: its size and one entry per
// pixel; and MachineWord, the pointer-wide integer that counts and indexes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/text.hpp"

// A signed integer as wide as a pointer: counters, counts and coordinates.
using MachineWord = std::intptr_t;

// One entry per pixel, index row x width + column, row 0 at the top: a colour
// index 0-3, or with -colors a C64 colour 0-15 or kTransparent.
using PixelPlane = std::vector<std::uint8_t>;

// The columns of a row that one decoded row holds: first, first + step and
// so on. A pass of an interlaced picture holds every step-th column, already
// at its place in the row.
struct RowColumns {
    std::size_t first = 0;
    std::size_t step = 1;
};
inline constexpr RowColumns kEveryColumn{0, 1};

// -colors: a pixel of alpha 0, which is the background whatever the choice.
constexpr std::uint8_t kTransparent = 16;

struct SourceBitmap {
    MachineWord width = 0;
    MachineWord height = 0; // rows, whichever way the file stores them
    PixelPlane pixels;
    // A pixel of index 2 or 3. Stays false for a depth whose pixels are not
    // read, so that the sprite grid refuses such a picture as single-colour.
    bool multicolorFound = false;
    // -colors: the value (0xRRGGBB) of every C64 colour, when the sheet's
    // palette was recognised as a whole.
    std::optional<std::array<std::uint32_t, 16>> c64Palette;
};

// A pixel's place as the console names it: "(X5,Y3)".
inline Text PositionText(std::int64_t x, std::int64_t y)
{
    return "(X" + DecimalText(x) + ",Y" + DecimalText(y) + ")";
}
