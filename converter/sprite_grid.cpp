#include "sprite_grid.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

// The reader has made width and height whole, non-negative multiples of the cell.
MachineWord CountCells(const SourceBitmap& bitmap)
{
    return bitmap.width / MachineWord{kSpriteWidth} * (bitmap.height / MachineWord{kSpriteHeight});
}

constexpr std::uint8_t kMulticolorBit = 128;
constexpr std::uint8_t kOverlayNextBit = 16; // SpritePad: the next sprite lies over this one
constexpr std::uint8_t kColorOfNone = 12;    // grey, for a sprite without a colour of its own

// Gives the cell its position and its 24 x 21 part of the plane.
void CutCell(const SourceBitmap& bitmap, MachineWord left, MachineWord top, SpriteCell& cell)
{
    cell.x = left;
    cell.y = top;
    const std::uint8_t* source = bitmap.pixels.data() + top * bitmap.width + left;
    for (auto row = cell.pixels.begin(); row != cell.pixels.end(); row += kSpriteWidth) {
        std::copy_n(source, kSpriteWidth, row);
        source += bitmap.width;
    }
}

// -colors, multicolour: every pixel becomes its bit pair, the right pixel of
// each pair the same as the left one, which is what the sprite shows. Under
// an overlay, a pair it covers whole is the background, one it covers half
// shows its other pixel.
void ShowMulticolor(SpriteCell& cell, const SharedColors& colors, std::uint8_t overlay)
{
    std::uint8_t own = kColorOfNone;
    for (std::size_t pixel = 0; pixel < cell.pixels.size(); pixel += 2) {
        const std::uint8_t left = cell.pixels[pixel];
        const std::uint8_t right = cell.pixels[pixel + 1];
        const std::uint8_t color = left != overlay ? left : right != overlay ? right : colors.background;
        std::uint8_t pair = 2;
        if (color == colors.background || color == kTransparent) {
            pair = 0;
        } else if (color == colors.multicolor1) {
            pair = 1;
        } else if (color == colors.multicolor2) {
            pair = 3;
        } else {
            own = color;
        }
        cell.pixels[pixel] = cell.pixels[pixel + 1] = pair;
    }
    cell.attribute = kMulticolorBit | own;
}

// -colors, hires: the background is the bit 0, any other colour the bit 1.
void ShowHires(SpriteCell& cell, const SharedColors& colors)
{
    std::uint8_t own = kColorOfNone;
    for (std::uint8_t& pixel : cell.pixels) {
        const bool background = pixel == colors.background || pixel == kTransparent;
        own = background ? own : pixel;
        pixel = background ? 0 : 1;
    }
    cell.attribute = own;
}

// -overlay: the hires sprite of one colour over the multicolour one, set
// wherever the cell has that colour.
void ShowOverlay(SpriteCell& cell, std::uint8_t overlay)
{
    for (std::uint8_t& pixel : cell.pixels) {
        pixel = pixel == overlay ? 1 : 0;
    }
    cell.attribute = overlay;
}

// Packs the even columns of every row as bit pairs, leftmost in bits 7-6.
void EncodeMulticolor(SpriteCell& cell)
{
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        const std::uint8_t* v = &cell.pixels[kSpriteWidth * row];
        for (std::size_t k = 0; k < 3; k += 1) {
            cell.data[3 * row + k] = static_cast<std::uint8_t>(64 * v[8 * k] + 16 * v[8 * k + 2] +
                                                               4 * v[8 * k + 4] + v[8 * k + 6]); // at most 255
        }
    }
}

// Packs every column of every row as one bit, leftmost in bit 7 (index 1 sets it).
void EncodeHires(SpriteCell& cell)
{
    for (std::size_t byte = 0; byte < kSpriteDataBytes; byte += 1) {
        const std::uint8_t* v = &cell.pixels[8 * byte];
        std::uint8_t bits = 0;
        for (std::size_t column = 0; column < 8; column += 1) {
            bits = static_cast<std::uint8_t>(2 * bits + v[column]); // eight bits at most
        }
        cell.data[byte] = bits;
    }
}

// -overlay: the hires sprite over the one the table ends with, cut from the
// same cell.
void AddOverlay(std::uint8_t overlay, SpriteTable& table)
{
    table.cells.push_back(table.cells.back());
    SpriteCell& over = table.cells.back();
    ShowOverlay(over, overlay);
    EncodeHires(over);
}

// Adds the sprite of one cell to the table, and its overlay after it.
void AddSprites(const RunOptions& options, const SourceBitmap& bitmap, MachineWord left, MachineWord top,
                std::uint8_t overlay, SpriteTable& table)
{
    CutCell(bitmap, left, top, table.cells.emplace_back());
    if (overlay != kNoOverlay) {
        AddOverlay(overlay, table);
    }
    SpriteCell& cell = table.cells[table.cells.size() - (overlay != kNoOverlay ? 2 : 1)];
    const bool hires = options.hiresSprites;
    if (!options.realColors) {
        cell.attribute = hires ? kColorOfNone : kMulticolorBit | kColorOfNone;
    } else if (hires) {
        ShowHires(cell, table.colors);
    } else {
        ShowMulticolor(cell, table.colors, overlay);
        cell.attribute |= overlay != kNoOverlay ? kOverlayNextBit : 0;
    }
    if (hires) {
        EncodeHires(cell);
    } else {
        EncodeMulticolor(cell);
    }
}

} // namespace

void AppendPreviewText(const SpriteCell& cell, std::size_t row, Text& text)
{
    char characters[kSpriteWidth];
    const std::uint8_t* values = &cell.pixels[kSpriteWidth * row];
    for (std::size_t column = 0; column < kSpriteWidth; column += 1) {
        // Every value is 0-3.
        characters[column] = values[column] == 0 ? '.' : static_cast<char>('0' + values[column]); // a digit
    }
    text.append(characters, kSpriteWidth);
}

SpriteTable ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap, const SharedColors& colors,
                           const std::vector<std::uint8_t>& overlays)
{
    const MachineWord pairs = std::count_if(overlays.begin(), overlays.end(),
                                            [](std::uint8_t overlay) { return overlay != kNoOverlay; });
    if (!options.verbose) {
        PrintLine("> Converting " + DecimalText(CountCells(bitmap) + pairs) + " sprites to C64 format" +
                  (options.overlay ? " (" + DecimalText(pairs) + " overlay pairs)" : ""));
    }
    // Tested before the cells are made: a refused picture needs none of them.
    // Hires sprites have one colour of their own, so any picture of 0 and 1 will do.
    if (!options.realColors && !options.hiresSprites && !bitmap.multicolorFound) {
        FailUnsupportedRun(options,
                           {"> Unable to convert this picture.", "> Only Multicolor pictures are allowed.", ""});
    }
    SpriteTable table{{}, colors};
    table.cells.reserve(static_cast<std::size_t>(CountCells(bitmap) + pairs)); // not negative
    std::size_t number = 0;
    for (MachineWord top = 0; top < bitmap.height; top += MachineWord{kSpriteHeight}) {
        for (MachineWord left = 0; left < bitmap.width; left += MachineWord{kSpriteWidth}) {
            const std::uint8_t overlay = number < overlays.size() ? overlays[number] : kNoOverlay;
            AddSprites(options, bitmap, left, top, overlay, table);
            number += 1;
        }
    }
    return table;
}
