#include "png_reader.hpp"

#include <algorithm>
#include <array>
#include <new>

#include "cell_size.hpp"
#include "spng_context.hpp"

namespace {

// The most pixels a sheet may have, spread over its fewest rows or columns:
// the decoder refuses a larger header before it takes any memory.
constexpr std::uint32_t kWidestSheet = 2147483647 / kSpriteHeight;
constexpr std::uint32_t kHighestSheet = 2147483647 / kSpriteWidth;
// What the decoder may keep of the chunks besides the picture (text, colour
// profiles), so that a small file cannot make it claim gigabytes.
constexpr std::size_t kChunkMemory = 16777216;
// zlib packs at most 1032 bytes into one: a PNG of n bytes holds at most
// 1032 x n bytes of rows.
constexpr std::int64_t kLargestInflation = 1032;

// A PNG being read: the sheet, the decoder and the picture's header.
struct PngReader {
    const Sheet& sheet;
    spng_ctx* decoder;
    spng_ihdr header;
};

// The decoder reads the sheet through its file, one system call per 4096
// bytes; a file that ends early is a damaged one.
int ReadFromSheet(spng_ctx*, void* user, void* bytes, std::size_t length)
{
    const PngReader& png = *static_cast<PngReader*>(user); // the reader handed to the decoder
    return ReadBytes(png.sheet.file, bytes, length) == length ? 0 : SPNG_IO_EOF;
}

// What a decoder error says, in words.
Text DamageText(int error)
{
    switch (error) {
    case SPNG_IO_EOF:
    case SPNG_EOF:
    case SPNG_EIDAT_TOO_SHORT:
        return "it ends too early";
    case SPNG_ESIGNATURE:
        return "its signature is wrong (was it copied as text?)";
    case SPNG_ECHUNK_CRC:
        return "the checksum (CRC) of a chunk is wrong";
    case SPNG_EZLIB:
    case SPNG_EIDAT_STREAM:
        return "its compressed picture data is broken";
    case SPNG_ENOPLTE:
        return "its palette (PLTE) is missing";
    case SPNG_ECHUNK_LIMITS:
        return "its chunks besides the picture hold more than " + DecimalText(kChunkMemory) + " bytes";
    default:
        return spng_strerror(error);
    }
}

// Refuses the sheet on any decoder error: a header beyond the largest sheet
// is too large; memory that cannot be had ends the run where every such
// failure does.
Refused DecoderRefusal(int error)
{
    if (error == 0) {
        return {};
    }
    if (error == SPNG_EMEM) {
        throw std::bad_alloc();
    }
    if (error == SPNG_EUSER_WIDTH || error == SPNG_EUSER_HEIGHT) {
        return SheetRefusal({"> Error: Bitmap is too large."});
    }
    return SheetRefusal({"> Error: PNG file is damaged: " + DamageText(error) + ".", kNoData, ""});
}

bool IsIndexed(const PngReader& png)
{
    return png.header.color_type == SPNG_COLOR_TYPE_INDEXED;
}

// The colour type in words, for a PNG that holds no palette indexes.
Text PixelKind(const spng_ihdr& header)
{
    switch (header.color_type) {
    case SPNG_COLOR_TYPE_GRAYSCALE:
        return "grey pixels";
    case SPNG_COLOR_TYPE_TRUECOLOR:
        return "RGB pixels";
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return "grey pixels with alpha";
    default:
        return "RGBA pixels";
    }
}

Refused CheckIndexes(const PngReader& png)
{
    if (!png.sheet.options.realColors && !IsIndexed(png)) {
        return SheetRefusal({"> Error: PNG of " + DecimalText(png.header.bit_depth) + "-bit " +
                                 PixelKind(png.header) + " (color type " + DecimalText(png.header.color_type) +
                                 ") has no palette indexes; use -colors to read its colors.",
                             kNoData, ""});
    }
    return {};
}

// The bits of one stored pixel.
std::int64_t StoredBits(const spng_ihdr& header)
{
    switch (header.color_type) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
        return 3 * header.bit_depth;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return 2 * header.bit_depth;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        return 4 * header.bit_depth;
    default: // grey or palette indexes
        return header.bit_depth;
    }
}

// Palette indexes are handed over as stored, every other picture as 8-bit RGBA.
RowFormat RowFormatOf(const PngReader& png)
{
    if (IsIndexed(png)) {
        return {png.header.bit_depth, false, kRedGreenBlueAlpha};
    }
    return {32, true, kRedGreenBlueAlpha};
}

// The size, the file's rows as the decoder inflates them, each after its
// filter byte, and the most of them the file can hold; then the plane.
Refused MakePngPlane(const PngReader& png, PlaneBuilder& builder)
{
    if (Refused refused = SetPlaneSize(builder, png.header.width, png.header.height)) {
        return refused;
    }
    const SourceBitmap& bitmap = builder.bitmap;
    const std::int64_t bits = StoredBits(png.header);
    const std::int64_t rowBytes = 1 + (bitmap.width * bits + 7) / 8;
    const std::optional<std::int64_t> fileSize = FileSizeOf(png.sheet.file);
    const std::int64_t bytesHeld = fileSize ? *fileSize * kLargestInflation : rowBytes * bitmap.height;
    return MakePlane(builder, {rowBytes, bits, bytesHeld}, RowFormatOf(png));
}

// Palette indexes are read as stored; every other picture as 8-bit RGBA, its
// 16-bit channels by their high bytes, a tRNS colour as alpha 0, no
// colour-space chunk applied.
int DecodedFormat(const PngReader& png)
{
    return IsIndexed(png) ? SPNG_FMT_PNG : SPNG_FMT_RGBA8;
}

bool IsInterlaced(const PngReader& png)
{
    return png.header.interlace_method != SPNG_INTERLACE_NONE;
}

// The columns that each of the seven passes of an interlaced picture holds.
constexpr std::array<RowColumns, 7> kPassColumns{{{0, 8}, {4, 8}, {0, 4}, {2, 4}, {0, 2}, {1, 2}, {0, 1}}};

// The columns of the picture row that the decoder's next row holds.
RowColumns ColumnsOf(const PngReader& png, const spng_row_info& info)
{
    return IsInterlaced(png) ? kPassColumns[static_cast<std::size_t>(info.pass)] : kEveryColumn; // a pass 0-6
}

// Decodes the rows in file order, each into the builder's row buffer and from
// there straight into the plane: an interlaced picture row by row of each pass.
Refused DecodeRows(const PngReader& png, PlaneBuilder& builder)
{
    std::vector<std::uint8_t>& row = builder.row;
    int error = 0;
    while (error == 0) {
        spng_row_info info{};
        if (Refused refused = DecoderRefusal(spng_get_row_info(png.decoder, &info))) {
            return refused;
        }
        if (IsInterlaced(png)) {
            std::fill(row.begin(), row.end(), 0); // the decoder adds a pass's pixels of under 8 bits to the row
        }
        error = spng_decode_row(png.decoder, row.data(), row.size());
        if (error == 0 || error == SPNG_EOI) {
            StoreRow(builder, info.row_num, ColumnsOf(png, info));
        }
    }
    if (error != SPNG_EOI) {
        return DecoderRefusal(error);
    }
    return DecoderRefusal(spng_decode_chunks(png.decoder)); // the chunks after the picture, up to IEND
}

// -colors, palette indexes: the palette and which of its entries tRNS makes
// transparent.
Refused ReadPalette(const PngReader& png, Palette& palette)
{
    spng_plte plte{};
    if (Refused refused = DecoderRefusal(spng_get_plte(png.decoder, &plte))) {
        return refused;
    }
    spng_trns trns{};
    const bool hasTrns = spng_get_trns(png.decoder, &trns) == 0;
    for (std::uint32_t entry = 0; entry < plte.n_entries; entry += 1) {
        const spng_plte_entry& color = plte.entries[entry];
        palette.colors.push_back(Rgb{color.red} << 16 | Rgb{color.green} << 8 | color.blue);
        palette.transparent.push_back(hasTrns && entry < trns.n_type3_entries && trns.type3_alpha[entry] == 0);
    }
    return {};
}

std::int64_t PixelBytes(const PngReader& png, const SourceBitmap& bitmap)
{
    return (bitmap.width * StoredBits(png.header) + 7) / 8 * bitmap.height;
}

// The header and the chunks before the picture, read through the sheet's
// file; then whether the picture can be read as asked.
Refused StartDecoding(PngReader& png)
{
    if (Refused refused = DecoderRefusal(spng_set_png_stream(png.decoder, ReadFromSheet, &png))) {
        return refused;
    }
    spng_set_image_limits(png.decoder, kWidestSheet, kHighestSheet);
    spng_set_chunk_limits(png.decoder, kChunkMemory, kChunkMemory);
    if (Refused refused = DecoderRefusal(spng_get_ihdr(png.decoder, &png.header))) {
        return refused;
    }
    // Up to the picture: IHDR is trusted only with its checksum.
    if (Refused refused = DecoderRefusal(spng_decode_chunks(png.decoder))) {
        return refused;
    }
    return CheckIndexes(png);
}

// Every row into the plane; then the plane finished with the palette that
// -colors maps.
Outcome<SourceBitmap> DecodePicture(const PngReader& png, PlaneBuilder& builder)
{
    if (Refused refused = DecoderRefusal(spng_decode_image(png.decoder, nullptr, 0, DecodedFormat(png),
                                                          SPNG_DECODE_PROGRESSIVE | SPNG_DECODE_TRNS))) {
        return *refused;
    }
    PrintScanningLine(PixelBytes(png, builder.bitmap));
    if (Refused refused = DecodeRows(png, builder)) { // a PNG has a row and a column at least
        return *refused;
    }
    if (!png.sheet.options.realColors || !IsIndexed(png)) {
        return FinishPlane(builder, nullptr);
    }
    Palette palette;
    if (Refused refused = ReadPalette(png, palette)) {
        return *refused;
    }
    return FinishPlane(builder, &palette);
}

} // namespace

bool StartsAsPng(const std::uint8_t* bytes, std::size_t count)
{
    return count >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

Outcome<SourceBitmap> ReadPngSheet(const Sheet& sheet)
{
    const SpngContext context = NewSpngContext(0);
    PngReader png{sheet, context.get(), {}};
    PlaneBuilder builder = NewPlaneBuilder(sheet.options);
    Refused refused = StartDecoding(png);
    refused = refused ? refused : MakePngPlane(png, builder);
    if (refused) {
        return *refused;
    }
    return DecodePicture(png, builder);
}
