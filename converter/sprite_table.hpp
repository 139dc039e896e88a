// The converted sprites, in the order the writers write them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "c64_colors.hpp"
#include "cell_size.hpp"
#include "picture.hpp"
#include "shared_colors.hpp"

constexpr std::size_t kSpriteDataBytes = 63;

// One C64 sprite: its 63 data bytes, what the text picture shows, its own
// colour and its mode.
struct Sprite {
    // The values 0-3 that the text picture shows, 24 x row + column, four to a
    // byte, the first in the highest bits.
    std::array<std::uint8_t, kSpriteWidth * kSpriteHeight / 4> picture{};
    std::array<std::uint8_t, kSpriteDataBytes> data{};
    std::uint8_t ownColor = 0;
    bool multicolor = false;
    bool liesOver = false; // the hires sprite of an overlay pair
};

// One cell of the sheet: its sprite and, with -overlay, the hires sprite that
// lies over it, which the files hold right after it. Coordinates below 2^31,
// as the sheet has fewer pixels.
struct SpriteCell {
    std::int32_t x = 0; // column of the top-left pixel
    std::int32_t y = 0; // row of the top-left pixel, 0 at the top
    Sprite sprite;
    std::unique_ptr<const Sprite> overlay; // few cells have one
};

// The attribute byte as the SpritePad file stores it: the sprite's own colour
// in bits 0-3; bit 4 set for a sprite whose overlay is the next sprite; bit 7
// set for a multicolour sprite.
constexpr std::uint8_t kOverlaidBit = 16;
constexpr std::uint8_t kMulticolorBit = 128;

constexpr std::uint8_t AttributeByte(const Sprite& sprite, bool overlaid)
{
    return static_cast<std::uint8_t>(sprite.ownColor | (sprite.multicolor ? kMulticolorBit : 0) |
                                     (overlaid ? kOverlaidBit : 0));
}

struct SpriteTable {
    // Left to right within a band of 21 rows, bands top to bottom.
    std::vector<SpriteCell> cells;
    SharedColors colors;
    // The sheet the sprites were cut from, which the preview shows: its size,
    // and with -colors its palette when that was a C64 palette.
    MachineWord sheetWidth = 0;
    MachineWord sheetHeight = 0;
    std::optional<std::array<Rgb, kC64ColorCount>> c64Palette;
    // -object: the cells in the order of the files, as indexes of cells;
    // empty for the order of cells.
    std::vector<std::size_t> order;
};

// The cell that comes nth in the files.
inline const SpriteCell& FileCell(const SpriteTable& table, std::size_t n)
{
    return table.cells[table.order.empty() ? n : table.order[n]];
}

// Calls visit(cell, sprite, overlaid) for every sprite in the order of the
// files, numbered from 0: each cell's sprite, then its overlay.
template <typename Visit> void ForEachSprite(const SpriteTable& table, Visit visit)
{
    for (std::size_t n = 0; n < table.cells.size(); n += 1) {
        const SpriteCell& cell = FileCell(table, n);
        visit(cell, cell.sprite, cell.overlay != nullptr);
        if (cell.overlay) {
            visit(cell, *cell.overlay, false);
        }
    }
}

// The sprites in the files: one for each cell, two for an overlay pair.
inline std::int64_t SpriteCount(const SpriteTable& table)
{
    std::int64_t count = 0;
    ForEachSprite(table, [&count](const SpriteCell&, const Sprite&, bool) { count += 1; });
    return count;
}
