#include "plane_builder.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

#include "cell_size.hpp"
#include "runtime/console.hpp"

namespace {

// Pictures of more pixels do not fit the 32-bit pixel index of a sprite cell.
constexpr std::int64_t kMaximumPixels = std::numeric_limits<std::int32_t>::max();
// A header may claim at most this many pixels, and this many bytes of pixels,
// beyond those its file holds; missing pixels read as 0, but memory, time and
// output stay bounded by the file at every depth (a 1-bit byte holds 8 pixels).
constexpr std::int64_t kMaximumMissing = 16777216;
// The plane and the sprites cut from it take at most 2 bytes a pixel, and may
// fill half the address space at most: on a 32-bit target, 2^29 pixels.
constexpr std::int64_t kBytesPerPixelHeld = 2;
constexpr std::int64_t kMostPixelsHeld =
    (std::int64_t{std::numeric_limits<std::ptrdiff_t>::max()} / 2 + 1) / kBytesPerPixelHeld;

// The pixels that bytesHeld bytes of rows hold: whole rows, then the whole
// pixels of one partial row.
std::int64_t PixelsHeld(const StoredRows& rows, std::int64_t width)
{
    if (rows.rowBytes == 0) {
        return 0;
    }
    const std::int64_t partialRow = rows.bytesHeld % rows.rowBytes * 8 / rows.bitsPerPixel;
    return rows.bytesHeld / rows.rowBytes * width + std::min(partialRow, width);
}

// The whole index in hexadecimal, at least five digits, and its column and row.
Text ColorErrorLine(std::uint8_t color, std::int64_t index, std::int64_t width)
{
    const Text hexIndex = HexText(index, 0);
    const Text indexField = hexIndex.size() < 5 ? PadLeft(hexIndex, 5, "0") : hexIndex;
    return "> Error: Color " + DecimalText(color) + " found on index $" + indexField + " | " +
           PositionText(index % width, index / width);
}

// What the colour check saw, besides multicolour pixels.
struct ColorScan {
    bool badColorFound = false;
    std::int64_t color255Count = 0;
};

// Walks the plane in order, top row first, with a line for every index above
// highestIndex; index 255 becomes 0 in place and is counted.
ColorScan ScanColors(SourceBitmap& bitmap, std::uint8_t highestIndex)
{
    ColorScan scan;
    std::int64_t index = 0;
    for (std::uint8_t& pixel : bitmap.pixels) {
        if (pixel == 255) {
            pixel = 0;
            scan.color255Count += 1;
        } else if (pixel > highestIndex) {
            scan.badColorFound = true;
            PrintLine(ColorErrorLine(pixel, index, bitmap.width));
        } else if (pixel > 1) {
            bitmap.multicolorFound = true;
        }
        index += 1;
    }
    return scan;
}

// The C64 colour of every palette entry, kTransparent for the transparent
// ones: the opaque entries are recognised together, as a C64 palette when
// they are one.
EntryColors ColorsOfEntries(const Palette& palette)
{
    std::vector<Rgb> opaque;
    for (std::size_t entry = 0; entry < palette.colors.size(); entry += 1) {
        if (!palette.transparent[entry]) {
            opaque.push_back(palette.colors[entry]);
        }
    }
    EntryColors recognised = PaletteColors(opaque);
    std::vector<std::uint8_t> colors;
    std::size_t next = 0;
    for (std::size_t entry = 0; entry < palette.colors.size(); entry += 1) {
        colors.push_back(palette.transparent[entry] ? kTransparent : recognised.colors[next++]);
    }
    recognised.colors = std::move(colors);
    return recognised;
}

// Palette indexes of 1, 2, 4 or 8 bits, leftmost pixel in the highest bits:
// the columns of the row, up to width, into the same columns of indexes.
void UnpackIndexes(const std::uint8_t* row, std::size_t bits, RowColumns columns, std::size_t width,
                   std::uint8_t* indexes)
{
    const std::size_t perByte = 8 / bits;
    const unsigned mask = (1U << bits) - 1;
    for (std::size_t x = columns.first; x < width; x += columns.step) {
        const std::size_t shift = bits * (perByte - 1 - x % perByte);
        indexes[x] = static_cast<std::uint8_t>(unsigned{row[x / perByte]} >> shift & mask); // at most 8 bits
    }
}

// A plane of colour indexes: 0-3 (0 and 1 with -hires), 255 read as 0.
// Prints a line for every other index and refuses the sheet; otherwise
// reports the pixels of index 255.
Refused CheckColorIndexes(bool hiresSprites, SourceBitmap& bitmap)
{
    const ColorScan scan = ScanColors(bitmap, hiresSprites ? 1 : 3);
    if (scan.badColorFound) {
        return SheetRefusal({hiresSprites ? "> Use colors 0-1 and 255 for hires pictures only."
                                          : "> Use colors 0-3 and 255 for your pictures only.",
                             kNoData, ""});
    }
    if (scan.color255Count > 0) {
        PrintLine("> Info: " + DecimalText(scan.color255Count) + " pixel found with color index 255. Set to index 0..");
    }
    return {};
}

// -colors: the plane's palette indexes become C64 colours, the palette's
// opaque entries recognised as a whole (and noted as a C64 palette when they
// are one); an entry marked transparent gives kTransparent. An index beyond
// the palette gets a line of its own and refuses the sheet.
Refused MapPaletteIndexes(const Palette& palette, SourceBitmap& bitmap, RecognisedColors& recognised)
{
    const EntryColors entries = ColorsOfEntries(palette);
    const std::vector<std::uint8_t>& colors = entries.colors;
    recognised.c64Palette = entries.values;
    constexpr std::uint8_t kOutside = 0xFF; // an index beyond the palette
    std::array<std::uint8_t, 256> colorOf;
    colorOf.fill(kOutside);
    std::copy(colors.begin(), colors.end(), colorOf.begin()); // at most 256 entries
    std::array<std::int64_t, 256> used{};
    bool outside = false;
    for (std::uint8_t& pixel : bitmap.pixels) {
        used[pixel] += 1;
        if (colorOf[pixel] == kOutside) {
            const std::int64_t index = &pixel - bitmap.pixels.data();
            outside = true;
            PrintLine("> Error: Pixel " + PositionText(index % bitmap.width, index / bitmap.width) +
                      " uses palette entry " + DecimalText(pixel) + " of " + DecimalText(std::ssize(palette.colors)));
        }
        pixel = colorOf[pixel] == kOutside ? pixel : colorOf[pixel];
    }
    if (outside) {
        return SheetRefusal({kNoData, ""});
    }
    for (std::size_t entry = 0; entry < palette.colors.size(); entry += 1) {
        if (used[entry] > 0 && colors[entry] != kTransparent) {
            NoteColor(recognised, palette.colors[entry], colors[entry]);
        }
        recognised.transparent += colors[entry] == kTransparent ? used[entry] : 0;
    }
    return {};
}

// -colors: shows which RGB values became which C64 colour, and how many
// pixels are transparent.
void ShowRecognisedColors(const RecognisedColors& recognised)
{
    PrintRecognisedColors(recognised);
    if (recognised.transparent > 0) {
        PrintLine("> Transparent: " + DecimalText(recognised.transparent) + " pixels, read as the background");
    }
}

} // namespace

Refusal SheetRefusal(std::initializer_list<Text> lines)
{
    return {lines, RefusalKind::kFailed};
}

std::size_t BufferBytes(std::int64_t bytes)
{
    if (bytes < 0 || bytes > std::int64_t{std::numeric_limits<std::ptrdiff_t>::max()}) {
        throw std::bad_alloc();
    }
    return static_cast<std::size_t>(bytes); // within the address space here
}

void PrintScanningLine(std::int64_t bytes)
{
    PrintLine("> Scanning " + DecimalText(bytes) + " bytes of pixeldata...");
}

PlaneBuilder NewPlaneBuilder(SheetOptions options)
{
    PlaneBuilder builder{options, {}, {}, {}, nullptr};
    if (options.realColors) {
        builder.decoder = std::make_unique<TrueColorDecoder>(MakeTrueColorDecoder(kBlueGreenRed));
    }
    return builder;
}

Refused SetPlaneSize(PlaneBuilder& builder, std::int64_t width, std::int64_t height)
{
    if (width % std::int64_t{kSpriteWidth} != 0) {
        return SheetRefusal({"Error: Wromg bitmap width. Bitmap width must be a multiple of 24."});
    }
    if (width < 0) {
        return SheetRefusal({"> Error: Negative bitmap width is not supported."});
    }
    if (height % std::int64_t{kSpriteHeight} != 0) {
        return SheetRefusal({"Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21."});
    }
    // Both below 2^32 here, so they fit a machine word (at most 2^31 in a BMP).
    builder.bitmap.width = static_cast<MachineWord>(width);
    builder.bitmap.height = static_cast<MachineWord>(std::abs(height));
    return {};
}

Refused MakePlane(PlaneBuilder& builder, const StoredRows& rows, const RowFormat& format)
{
    SourceBitmap& bitmap = builder.bitmap;
    const std::int64_t pixelCount = std::int64_t{bitmap.width} * bitmap.height;
    if (pixelCount > kMaximumPixels || rows.rowBytes * bitmap.height - rows.bytesHeld > kMaximumMissing ||
        pixelCount - PixelsHeld(rows, bitmap.width) > kMaximumMissing) {
        return SheetRefusal({"> Error: Bitmap is too large."});
    }
    if (pixelCount > kMostPixelsHeld) {
        return SheetRefusal({"> Error: Out of memory."});
    }
    bitmap.pixels.resize(BufferBytes(pixelCount)); // zeroed
    builder.format = format;
    if (builder.decoder) {
        builder.decoder->layout = format.layout;
    }
    // A picture without pixels may still claim a row of gigabytes: it is not read.
    if (pixelCount > 0) {
        const std::int64_t rowBits = std::int64_t{bitmap.width} * static_cast<std::int64_t>(format.bitsPerPixel);
        builder.row.resize(BufferBytes((rowBits + 7) / 8));
    }
    return {};
}

void StoreRow(PlaneBuilder& builder, std::size_t y, RowColumns columns)
{
    const std::size_t width = static_cast<std::size_t>(builder.bitmap.width); // positive here
    std::uint8_t* pixels = builder.bitmap.pixels.data() + y * width;
    const RowFormat& format = builder.format;
    if (format.trueColor) {
        DecodeTrueColorRow(*builder.decoder, builder.row.data(), columns, width, pixels); // -colors
    } else if (format.bitsPerPixel == 8 && columns.step == 1) {
        std::copy_n(builder.row.data(), width, pixels);
    } else {
        UnpackIndexes(builder.row.data(), format.bitsPerPixel, columns, width, pixels);
    }
}

Outcome<SourceBitmap> FinishPlane(PlaneBuilder& builder, const Palette* palette)
{
    SourceBitmap& bitmap = builder.bitmap;
    if (!builder.options.realColors) {
        if (Refused refused = CheckColorIndexes(builder.options.hiresSprites, bitmap)) {
            return *refused;
        }
        return std::move(bitmap);
    }
    RecognisedColors& recognised = builder.decoder->recognised;
    if (palette != nullptr) {
        if (Refused refused = MapPaletteIndexes(*palette, bitmap, recognised)) {
            return *refused;
        }
    }
    ShowRecognisedColors(recognised);
    bitmap.c64Palette = recognised.c64Palette;
    return std::move(bitmap);
}
