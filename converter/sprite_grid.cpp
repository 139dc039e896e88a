#include "sprite_grid.hpp"

#include <algorithm>
#include <array>
#include <memory>

#include "runtime/console.hpp"

namespace {

// The reader has made width and height whole, non-negative multiples of the cell.
MachineWord CountCells(const SourceBitmap& bitmap)
{
    return bitmap.width / MachineWord{kSpriteWidth} * (bitmap.height / MachineWord{kSpriteHeight});
}

constexpr std::uint8_t kColorOfNone = 12;    // grey, for a sprite without a colour of its own

// A cell's 24 x 21 pixels, 24 x row + column: C64 colours or colour indexes
// as cut from the plane, then the values the sprite shows.
using CellPixels = std::array<std::uint8_t, kSpriteWidth * kSpriteHeight>;

CellPixels CutCell(const SourceBitmap& bitmap, MachineWord left, MachineWord top)
{
    CellPixels pixels;
    const std::uint8_t* source = bitmap.pixels.data() + top * bitmap.width + left;
    for (auto row = pixels.begin(); row != pixels.end(); row += kSpriteWidth) {
        std::copy_n(source, kSpriteWidth, row);
        source += bitmap.width;
    }
    return pixels;
}

// -colors, multicolour: every pixel becomes its bit pair, the right pixel of
// each pair the same as the left one, which is what the sprite shows. Under
// an overlay, a pair it covers whole is the background, one it covers half
// shows its other pixel. Returns the sprite's own colour.
std::uint8_t ShowMulticolor(CellPixels& pixels, const SharedColors& colors, std::uint8_t overlay)
{
    std::uint8_t own = kColorOfNone;
    for (std::size_t pixel = 0; pixel < pixels.size(); pixel += 2) {
        const std::uint8_t left = pixels[pixel];
        const std::uint8_t right = pixels[pixel + 1];
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
        pixels[pixel] = pixels[pixel + 1] = pair;
    }
    return own;
}

// -colors, hires: the background is the bit 0, any other colour the bit 1.
// Returns the sprite's own colour.
std::uint8_t ShowHires(CellPixels& pixels, const SharedColors& colors)
{
    std::uint8_t own = kColorOfNone;
    for (std::uint8_t& pixel : pixels) {
        const bool background = pixel == colors.background || pixel == kTransparent;
        own = background ? own : pixel;
        pixel = background ? 0 : 1;
    }
    return own;
}

// Packs the even columns of every row as bit pairs, leftmost in bits 7-6.
void EncodeMulticolor(const CellPixels& pixels, Sprite& sprite)
{
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        const std::uint8_t* v = &pixels[kSpriteWidth * row];
        for (std::size_t k = 0; k < 3; k += 1) {
            sprite.data[3 * row + k] = static_cast<std::uint8_t>(64 * v[8 * k] + 16 * v[8 * k + 2] +
                                                                 4 * v[8 * k + 4] + v[8 * k + 6]); // at most 255
        }
    }
}

// Packs every column of every row as one bit, leftmost in bit 7 (index 1 sets it).
void EncodeHires(const CellPixels& pixels, Sprite& sprite)
{
    for (std::size_t byte = 0; byte < kSpriteDataBytes; byte += 1) {
        const std::uint8_t* v = &pixels[8 * byte];
        std::uint8_t bits = 0;
        for (std::size_t column = 0; column < 8; column += 1) {
            bits = static_cast<std::uint8_t>(2 * bits + v[column]); // eight bits at most
        }
        sprite.data[byte] = bits;
    }
}

// Keeps the values 0-3 the sprite shows for its text picture, four to a byte.
void KeepPicture(const CellPixels& pixels, Sprite& sprite)
{
    for (std::size_t byte = 0; byte < sprite.picture.size(); byte += 1) {
        const std::uint8_t* v = &pixels[4 * byte];
        sprite.picture[byte] = static_cast<std::uint8_t>(64 * v[0] + 16 * v[1] + 4 * v[2] + v[3]); // at most 255
    }
}

// -overlay: the hires sprite of one colour over the multicolour one, set
// wherever the cell has that colour.
std::unique_ptr<const Sprite> OverlaySprite(CellPixels pixels, std::uint8_t overlay)
{
    auto over = std::make_unique<Sprite>();
    over->ownColor = overlay;
    over->liesOver = true;
    for (std::uint8_t& pixel : pixels) {
        pixel = pixel == overlay ? 1 : 0;
    }
    EncodeHires(pixels, *over);
    KeepPicture(pixels, *over);
    return over;
}

// The sprite of one cell, hires or multicolour, and its overlay if it has one.
SpriteCell MakeCell(const SpriteOptions& options, const SourceBitmap& bitmap, MachineWord left, MachineWord top,
                    std::uint8_t overlay, bool hires, const SharedColors& colors)
{
    CellPixels pixels = CutCell(bitmap, left, top);
    // Within the sheet, which has fewer than 2^31 pixels.
    SpriteCell cell{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), {}, {}};
    if (overlay != kNoOverlay) {
        cell.overlay = OverlaySprite(pixels, overlay);
    }
    Sprite& sprite = cell.sprite;
    sprite.multicolor = !hires;
    if (!options.realColors) {
        sprite.ownColor = kColorOfNone;
    } else if (hires) {
        sprite.ownColor = ShowHires(pixels, colors);
    } else {
        sprite.ownColor = ShowMulticolor(pixels, colors, overlay);
    }
    if (hires) {
        EncodeHires(pixels, sprite);
    } else {
        EncodeMulticolor(pixels, sprite);
    }
    KeepPicture(pixels, sprite);
    return cell;
}

} // namespace

void AppendPreviewText(const Sprite& sprite, std::size_t row, Text& text)
{
    char characters[kSpriteWidth];
    for (std::size_t column = 0; column < kSpriteWidth; column += 1) {
        const std::size_t pixel = kSpriteWidth * row + column;
        const unsigned value = unsigned{sprite.picture[pixel / 4]} >> (6 - 2 * (pixel % 4)) & 3U;
        characters[column] = value == 0 ? '.' : static_cast<char>('0' + value); // a digit
    }
    text.append(characters, kSpriteWidth);
}

namespace {

// "> Converting 9 sprites to C64 format", with -mixed the hires and
// multicolour sprites among them (overlays are hires), with -overlay the pairs.
void PrintConverting(const SpriteOptions& options, MachineWord cells, MachineWord pairs, MachineWord hires)
{
    const MachineWord sprites = cells + pairs;
    Text counts;
    if (options.mixed) {
        counts += DecimalText(hires + pairs) + " hires, " + DecimalText(sprites - hires - pairs) + " multicolor";
    }
    if (options.overlay) {
        counts += (counts.empty() ? "" : ", ") + DecimalText(pairs) + " overlay pairs";
    }
    PrintLine("> Converting " + DecimalText(sprites) + " sprites to C64 format" +
              (counts.empty() ? "" : " (" + counts + ")"));
}

} // namespace

Outcome<SpriteTable> ConvertSprites(const SpriteOptions& options, const SourceBitmap& bitmap,
                                    const SharedColors& colors, const std::vector<std::uint8_t>& overlays,
                                    const std::vector<std::uint8_t>& hiresCells)
{
    const MachineWord pairs = std::count_if(overlays.begin(), overlays.end(),
                                            [](std::uint8_t overlay) { return overlay != kNoOverlay; });
    if (!options.verbose) {
        PrintConverting(options, CountCells(bitmap), pairs, std::count(hiresCells.begin(), hiresCells.end(), 1));
    }
    // Tested before the cells are made: a refused picture needs none of them.
    // Hires sprites have one colour of their own, so any picture of 0 and 1 will do.
    if (!options.realColors && !options.hiresSprites && !bitmap.multicolorFound) {
        return Refusal{{"> Unable to convert this picture.", "> Only Multicolor pictures are allowed.", ""},
                       RefusalKind::kUnsupported};
    }
    SpriteTable table{{}, colors, bitmap.width, bitmap.height, bitmap.c64Palette, {}};
    table.cells.reserve(static_cast<std::size_t>(CountCells(bitmap))); // not negative
    std::size_t number = 0;
    for (MachineWord top = 0; top < bitmap.height; top += MachineWord{kSpriteHeight}) {
        for (MachineWord left = 0; left < bitmap.width; left += MachineWord{kSpriteWidth}) {
            const std::uint8_t overlay = number < overlays.size() ? overlays[number] : kNoOverlay;
            const bool hires = options.hiresSprites || (number < hiresCells.size() && hiresCells[number] != 0);
            table.cells.push_back(MakeCell(options, bitmap, left, top, overlay, hires, colors));
            number += 1;
        }
    }
    return table;
}
