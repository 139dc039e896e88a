#include "preview_writer.hpp"

#include <algorithm>
#include <new>
#include <span>

#include "c64_colors.hpp"
#include "output_file.hpp"
#include "runtime/console.hpp"
#include "spng_context.hpp"

namespace {

// Two pixels of 4 bits in one byte, the left one in the high bits.
std::uint8_t TwoPixels(std::uint8_t left, std::uint8_t right)
{
    return static_cast<std::uint8_t>(left << 4 | right); // two colours of 4 bits
}

// Bit pair 0-11 of a row of the sprite's data, from the left.
unsigned BitPair(const Sprite& sprite, std::size_t row, std::size_t pair)
{
    return unsigned{sprite.data[3 * row + pair / 4]} >> (6 - 2 * (pair % 4)) & 3U;
}

// One row of a sprite as the C64 shows it, 12 bytes of two pixels: each bit
// pair of a multicolour sprite as two equal columns, each two bits of a hires
// one as two columns; an overlay's bits over them in its colour.
void DrawCellRow(const SpriteCell& cell, const SharedColors& colors, std::size_t row,
                 std::span<std::uint8_t, kSpriteWidth / 2> out)
{
    const Sprite& sprite = cell.sprite;
    const std::uint8_t own = sprite.ownColor;
    const std::uint8_t background = colors.background;
    const bool multicolor = sprite.multicolor;
    const std::uint8_t shown[4] = {
        TwoPixels(background, background), multicolor ? TwoPixels(colors.multicolor1, colors.multicolor1)
                                                       : TwoPixels(background, own),
        multicolor ? TwoPixels(own, own) : TwoPixels(own, background),
        multicolor ? TwoPixels(colors.multicolor2, colors.multicolor2) : TwoPixels(own, own)};
    std::size_t pair = 0; // of columns, from the left: bits 7-6 of the row's first byte
    for (std::uint8_t& two : out) {
        two = shown[BitPair(sprite, row, pair)];
        pair += 1;
    }
    if (cell.overlay == nullptr) {
        return;
    }
    const std::uint8_t color = cell.overlay->ownColor;
    pair = 0;
    for (std::uint8_t& two : out) {
        const unsigned bits = BitPair(*cell.overlay, row, pair);
        const unsigned left = (bits & 2) != 0 ? color : two >> 4;
        const unsigned right = (bits & 1) != 0 ? color : two & 15U;
        two = static_cast<std::uint8_t>(left << 4 | right); // two colours of 4 bits
        pair += 1;
    }
}

// One row of the sheet as 4-bit palette indexes, two pixels a byte.
void DrawRow(std::span<const SpriteCell> band, const SharedColors& colors, std::size_t row,
             std::vector<std::uint8_t>& out)
{
    for (std::size_t cell = 0; cell < band.size(); cell += 1) {
        DrawCellRow(band[cell], colors, row, std::span(out).subspan(cell * kSpriteWidth / 2).first<kSpriteWidth / 2>());
    }
}

// The encoder writes through the preview's file; a failed write shows when it
// is closed.
int WriteToFile(spng_ctx*, void* user, void* bytes, std::size_t length)
{
    WriteBlock(*static_cast<FileHandle*>(user), bytes, length); // the file handed to the encoder
    return 0;
}

// Whether the encoder took the call: memory that cannot be had ends the run
// where every such failure does, any other error fails the preview's write.
bool Encoded(int error)
{
    if (error == SPNG_EMEM) {
        throw std::bad_alloc();
    }
    return error == 0;
}

// The palette: entry N is C64 colour N, in the sheet's own values when its
// palette was recognised as a whole, else in Pepto's.
spng_plte PaletteOf(const SpriteTable& table)
{
    const std::array<Rgb, kC64ColorCount> values = table.c64Palette.value_or(C64ReferencePalettes()[0]);
    spng_plte plte{kC64ColorCount, {}};
    std::transform(values.begin(), values.end(), plte.entries, [](Rgb rgb) {
        return spng_plte_entry{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                               static_cast<std::uint8_t>(rgb), 255}; // the bytes of 0xRRGGBB
    });
    return plte;
}

// The header, the palette and the settings, then the encoder waits for rows.
bool StartEncoding(spng_ctx* encoder, FileHandle& file, const SpriteTable& table)
{
    const auto width = static_cast<std::uint32_t>(table.sheetWidth); // below 2^31 and positive here
    spng_ihdr ihdr{width, static_cast<std::uint32_t>(table.sheetHeight), 4, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    spng_plte plte = PaletteOf(table);
    return Encoded(spng_set_png_stream(encoder, WriteToFile, &file)) && Encoded(spng_set_ihdr(encoder, &ihdr)) &&
           Encoded(spng_set_plte(encoder, &plte)) &&
           Encoded(spng_set_option(encoder, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING)) &&
           Encoded(spng_set_option(encoder, SPNG_IMG_COMPRESSION_LEVEL, 1)) &&
           Encoded(spng_encode_image(encoder, nullptr, 0, SPNG_FMT_PNG,
                                     SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE));
}

// Whether every row reached the encoder and the file got the whole PNG.
bool Encode(FileHandle& file, const SpriteTable& table)
{
    const SpngContext context = NewSpngContext(SPNG_CTX_ENCODER);
    spng_ctx* encoder = context.get();
    if (!StartEncoding(encoder, file, table)) {
        return false;
    }
    const std::size_t width = static_cast<std::size_t>(table.sheetWidth); // positive here
    const std::size_t height = static_cast<std::size_t>(table.sheetHeight);
    const std::size_t columns = width / kSpriteWidth;
    std::vector<std::uint8_t> row((width + 1) / 2);
    for (std::size_t y = 0; y < height; y += 1) {
        const std::span<const SpriteCell> band = std::span(table.cells).subspan(y / kSpriteHeight * columns, columns);
        DrawRow(band, table.colors, y % kSpriteHeight, row);
        const int error = spng_encode_row(encoder, row.data(), row.size());
        // The last row answers SPNG_EOI: the picture is complete and finalized.
        if (!Encoded(error) && !(error == SPNG_EOI && y + 1 == height)) {
            return false;
        }
    }
    return true;
}

} // namespace

Refused WritePreviewFile(const OutputOptions& options, const SpriteTable& table)
{
    if (table.sheetWidth == 0 || table.sheetHeight == 0) {
        return Refusal{{"> Error: The sheet has no pixels, so it has no preview."}};
    }
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::previewFile,
                       "> Error: No destination filename for preview output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    FileHandle file = std::get<FileHandle>(opened);
    if (!Encode(file, table)) {
        CloseFile(file);
        return Refusal{{"> Error: Unable to write file: " + options.previewFile}};
    }
    if (Refused refused = CloseOutputFile(file, options.previewFile)) {
        return refused;
    }
    PrintLine("> Saving preview: " + options.previewFile);
    PrintLine("> ...done!");
    PrintLine("");
    return {};
}
