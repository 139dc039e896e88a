#include "preview_writer.hpp"

#include <spng.h>

#include <memory>
#include <new>
#include <span>

#include "c64_colors.hpp"
#include "output_file.hpp"
#include "runtime/console.hpp"

namespace {

using Context = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// The sprites of one cell: the one beneath, and the hires one over it, if any.
struct CellSprites {
    const SpriteCell* sprite;
    const SpriteCell* overlay;
};

// The cells of the table in sheet order, each with its overlay.
std::vector<CellSprites> CellsOf(const SpriteTable& table)
{
    std::vector<CellSprites> cells;
    for (std::size_t number = 0; number < table.cells.size(); number += 1) {
        const SpriteCell& sprite = table.cells[number];
        const bool overlaid = (sprite.attribute & 16) != 0 && (sprite.attribute & 128) != 0;
        cells.push_back({&sprite, overlaid ? &table.cells[number + 1] : nullptr});
        number += overlaid ? 1 : 0;
    }
    return cells;
}

// The C64 colour of pixel x (0-23) of a row of a sprite as the C64 shows it:
// a multicolour pixel two columns wide, a hires one a column.
std::uint8_t ShownColor(const SpriteCell& sprite, const SharedColors& colors, std::size_t row, std::size_t x)
{
    const std::uint8_t byte = sprite.data[3 * row + x / 8];
    const std::uint8_t own = sprite.attribute & 15;
    if ((sprite.attribute & 128) == 0) {
        return (byte >> (7 - x % 8) & 1) != 0 ? own : colors.background;
    }
    const std::uint8_t pair = byte >> (6 - x % 8 / 2 * 2) & 3;
    const std::uint8_t shown[] = {colors.background, colors.multicolor1, own, colors.multicolor2};
    return shown[pair];
}

// One row of the sheet as 4-bit palette indexes, two pixels a byte.
void DrawRow(std::span<const CellSprites> band, const SharedColors& colors, std::size_t row,
             std::vector<std::uint8_t>& out)
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    std::size_t x = 0;
    for (const CellSprites& cell : band) {
        for (std::size_t column = 0; column < kSpriteWidth; column += 1, x += 1) {
            const SpriteCell* over = cell.overlay;
            const bool covered = over != nullptr && (over->data[3 * row + column / 8] >> (7 - column % 8) & 1) != 0;
            const std::uint8_t color = covered ? over->attribute & 15 : ShownColor(*cell.sprite, colors, row, column);
            out[x / 2] = static_cast<std::uint8_t>(out[x / 2] | color << (x % 2 == 0 ? 4 : 0)); // two 4-bit colours
        }
    }
}

// The encoder writes through the preview's file; a failed write shows when it
// is closed.
int WriteToFile(spng_ctx*, void* user, void* bytes, std::size_t length)
{
    WriteBlock(*static_cast<FileHandle*>(user), bytes, length); // the file handed to the encoder
    return 0;
}

void Check(int error)
{
    if (error == SPNG_EMEM) {
        throw std::bad_alloc();
    }
}

// The palette: entry N is C64 colour N, in the sheet's own values when its
// palette was recognised as a whole, else in Pepto's.
spng_plte PaletteOf(const SourceBitmap& bitmap)
{
    const std::array<Rgb, kC64ColorCount> values = bitmap.c64Palette.value_or(C64ReferencePalettes()[0]);
    spng_plte plte{kC64ColorCount, {}};
    for (std::size_t color = 0; color < kC64ColorCount; color += 1) {
        plte.entries[color] = {static_cast<std::uint8_t>(values[color] >> 16), static_cast<std::uint8_t>(values[color] >> 8),
                               static_cast<std::uint8_t>(values[color]), 255}; // the bytes of 0xRRGGBB
    }
    return plte;
}

void Encode(FileHandle& file, const SourceBitmap& bitmap, const SpriteTable& table)
{
    const Context context(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    if (!context) {
        throw std::bad_alloc();
    }
    spng_ctx* encoder = context.get();
    const auto width = static_cast<std::uint32_t>(bitmap.width); // below 2^31 and positive here
    spng_ihdr ihdr{width, static_cast<std::uint32_t>(bitmap.height), 4, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    spng_plte plte = PaletteOf(bitmap);
    Check(spng_set_png_stream(encoder, WriteToFile, &file));
    Check(spng_set_ihdr(encoder, &ihdr));
    Check(spng_set_plte(encoder, &plte));
    Check(spng_set_option(encoder, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING));
    Check(spng_set_option(encoder, SPNG_IMG_COMPRESSION_LEVEL, 1));
    Check(spng_encode_image(encoder, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE));
    const std::vector<CellSprites> cells = CellsOf(table);
    const std::size_t columns = width / kSpriteWidth;
    std::vector<std::uint8_t> row((width + 1) / 2);
    for (std::size_t y = 0; y < static_cast<std::size_t>(bitmap.height); y += 1) {
        DrawRow(std::span(cells).subspan(y / kSpriteHeight * columns, columns), table.colors, y % kSpriteHeight, row);
        Check(spng_encode_row(encoder, row.data(), row.size()));
    }
}

} // namespace

void WritePreviewFile(const RunOptions& options, const SourceBitmap& bitmap, const SpriteTable& table)
{
    if (bitmap.pixels.empty()) {
        FailRun(options, {"> Error: The sheet has no pixels, so it has no preview."});
    }
    FileHandle file =
        OpenOutputFile(options, options.previewFile, "> Error: No destination filename for preview output.",
                       {{options.sourceOutputFile, "> Error: Preview file is the sourcecode file: "},
                        {options.spritePadFile, "> Error: Preview file is the SpritePad file: "},
                        {options.binaryFile, "> Error: Preview file is the binary file: "}});
    Encode(file, bitmap, table);
    CloseOutputFile(options, file, options.previewFile);
    PrintLine("> Saving preview: " + options.previewFile);
    PrintLine("> ...done!");
    PrintLine("");
}
