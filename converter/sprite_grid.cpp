#include "sprite_grid.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

// The reader has made width and height whole, non-negative multiples of the cell.
MachineWord CountSprites(const SourceBitmap& bitmap)
{
    return bitmap.width / MachineWord{kSpriteWidth} * (bitmap.height / MachineWord{kSpriteHeight});
}

// Makes the cells with their positions, and fills each cell's pixels from its
// 24 x 21 part of the plane.
SpriteTable CutCells(const SourceBitmap& bitmap)
{
    SpriteTable table;
    table.reserve(static_cast<std::size_t>(CountSprites(bitmap))); // not negative
    for (MachineWord top = 0; top < bitmap.height; top += MachineWord{kSpriteHeight}) {
        for (MachineWord left = 0; left < bitmap.width; left += MachineWord{kSpriteWidth}) {
            SpriteCell& cell = table.emplace_back();
            cell.x = left;
            cell.y = top;
            const std::uint8_t* source = bitmap.pixels.data() + top * bitmap.width + left;
            for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
                std::copy_n(source, kSpriteWidth, &cell.pixels[kSpriteWidth * row]);
                source += bitmap.width;
            }
        }
    }
    return table;
}

// Packs the even columns of every row as bit pairs, leftmost in bits 7-6.
void EncodeMulticolor(SpriteTable& table)
{
    for (SpriteCell& cell : table) {
        for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
            const std::uint8_t* v = &cell.pixels[kSpriteWidth * row];
            for (std::size_t k = 0; k < 3; k += 1) {
                cell.data[3 * row + k] = static_cast<std::uint8_t>(64 * v[8 * k] + 16 * v[8 * k + 2] +
                                                                   4 * v[8 * k + 4] + v[8 * k + 6]); // at most 255
            }
        }
    }
}

// Packs every column of every row as one bit, leftmost in bit 7 (index 1 sets it).
void EncodeHires(SpriteTable& table)
{
    for (SpriteCell& cell : table) {
        for (std::size_t byte = 0; byte < kSpriteDataBytes; byte += 1) {
            const std::uint8_t* v = &cell.pixels[8 * byte];
            std::uint8_t bits = 0;
            for (std::size_t column = 0; column < 8; column += 1) {
                bits = static_cast<std::uint8_t>(2 * bits + v[column]); // eight bits at most
            }
            cell.data[byte] = bits;
        }
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

SpriteTable ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap)
{
    if (!options.verbose) {
        PrintLine("> Converting " + DecimalText(CountSprites(bitmap)) + " sprites to C64 format");
    }
    // Tested before the cells are made: a refused picture needs none of them.
    // Hires sprites have one colour of their own, so any picture of 0 and 1 will do.
    if (!options.hiresSprites && !bitmap.multicolorFound) {
        FailUnsupportedRun(options, {"> Unable to convert this picture.", "> Only Multicolor pictures are allowed.", ""});
    }
    SpriteTable table = CutCells(bitmap);
    if (options.hiresSprites) {
        EncodeHires(table);
    } else {
        EncodeMulticolor(table);
    }
    return table;
}
