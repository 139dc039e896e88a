#include "sprite_grid.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

// The reader has made width and height whole, non-negative multiples of the cell.
MachineWord CountSprites(MachineWord width, MachineWord height)
{
    return width / kSpriteWidth * (height / kSpriteHeight);
}

void RefuseSingleColorPicture()
{
    PrintLine("> Unable to convert this picture.");
    PrintLine("> Only Multicolor pictures are allowed.");
    PrintLine("");
    Quit(2);
}

} // namespace

void AppendPreviewText(const SpriteCell& cell, std::size_t row, Text& text)
{
    char characters[kSpriteWidth];
    const std::uint8_t* values = &cell.pixels[kSpriteWidth * row];
    for (std::size_t column = 0; column < sizeof characters; column += 1) {
        // Every value is 0-3: one digit.
        characters[column] = values[column] == 0 ? '.' : static_cast<char>('0' + values[column]);
    }
    text.append(characters, sizeof characters);
}

Text PreviewText(const SpriteCell& cell, std::size_t row)
{
    Text text;
    AppendPreviewText(cell, row, text);
    return text;
}

void BuildSpriteGrid(MachineWord width, MachineWord height, SpriteTable& table)
{
    table.spriteCount = CountSprites(width, height);
    table.cells.reserve(static_cast<std::size_t>(table.spriteCount));
    for (MachineWord top = 0; top < height; top += kSpriteHeight) {
        for (MachineWord left = 0; left < width; left += kSpriteWidth) {
            SpriteCell& cell = table.cells.emplace_back();
            cell.x = left;
            cell.y = top;
            cell.firstPixel = static_cast<std::int32_t>(static_cast<std::int64_t>(top) * width + left);
        }
    }
}

void FillCellPixels(SpriteTable& table, const PixelPlane& pixels, MachineWord width)
{
    for (SpriteCell& cell : table.cells) {
        std::int64_t q = cell.firstPixel;
        std::size_t j = 0;
        for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
            std::copy_n(&pixels.entries[static_cast<std::size_t>(q)], kSpriteWidth, &cell.pixels[j]);
            j += kSpriteWidth;
            q += width;
        }
    }
}

void EncodeMulticolor(SpriteTable& table)
{
    for (SpriteCell& cell : table.cells) {
        for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
            const std::uint8_t* v = &cell.pixels[kSpriteWidth * row];
            for (std::size_t k = 0; k < 3; k += 1) {
                cell.data[3 * row + k] =
                    static_cast<std::uint8_t>(64 * v[8 * k] + 16 * v[8 * k + 2] + 4 * v[8 * k + 4] + v[8 * k + 6]);
            }
        }
    }
}

void EncodeHires(SpriteTable& table)
{
    for (SpriteCell& cell : table.cells) {
        for (std::size_t byte = 0; byte < kSpriteDataBytes; byte += 1) {
            const std::uint8_t* v = &cell.pixels[8 * byte];
            unsigned bits = 0;
            for (std::size_t column = 0; column < 8; column += 1) {
                bits = 2 * bits + v[column];
            }
            cell.data[byte] = static_cast<std::uint8_t>(bits);
        }
    }
}

void ConvertSprites(const RunOptions& options, const SourceBitmap& bitmap, SpriteTable& table)
{
    const MachineWord spriteCount = CountSprites(bitmap.width, bitmap.height);
    if (options.verbose != 1) {
        PrintLine("> Converting " + DecimalText(spriteCount) + " sprites to C64 format");
    }
    // Tested before the cells are made: a refused picture needs none of them.
    // Hires sprites have one colour of their own, so any picture of 0 and 1 will do.
    if (options.hiresSprites != 1 && !bitmap.scan.multicolorFound) {
        RefuseSingleColorPicture();
    }
    BuildSpriteGrid(bitmap.width, bitmap.height, table);
    FillCellPixels(table, bitmap.pixels, bitmap.width);
    if (options.hiresSprites == 1) {
        EncodeHires(table);
    } else {
        EncodeMulticolor(table);
    }
}
