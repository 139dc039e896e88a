#include "bitmap_reader.hpp"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "color_pixels.hpp"
#include "runtime/console.hpp"
#include "runtime/files.hpp"

namespace {

// The file and info headers in file order, named as in the BMP format; the
// 16-bit fields are kept sign-extended, as they are read. Every field is read
// before it is used.
struct BitmapHeader {
    std::int32_t bfType;
    std::int32_t bfSize;
    std::int32_t bfReserved; // bfReserved1 and bfReserved2, read together
    std::int32_t bfOffBits;
    std::int32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;
    std::int32_t biPlanes;
    std::int32_t biBitCount;
    std::int32_t biCompression;
    std::int32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::int32_t biClrUsed;
    std::int32_t biClrImportant;
};

constexpr std::int32_t kBitmapSignature = 19778; // "BM"
constexpr std::int64_t kHeaderBytes = 54;
constexpr std::int32_t kMaximumPaletteEntries = 256;
// Pictures of more pixels do not fit the 32-bit pixel index of a sprite cell.
constexpr std::int64_t kMaximumPixels = std::numeric_limits<std::int32_t>::max();
// A header may claim at most this many pixels, and this many bytes of pixels,
// beyond those its file holds; missing pixels read as 0, but memory, time and
// output stay bounded by the file at every depth (a 1-bit byte holds 8 pixels).
constexpr std::int64_t kMaximumMissing = 16777216;
// -colors: the info headers of 40 to 124 bytes, and the usual masks of a
// 32-bit picture stored as bit fields.
constexpr std::int32_t kLargestInfoHeader = 124;
constexpr std::int32_t kBitFields = 3;
constexpr std::int32_t kUsualMasks[] = {0x00FF0000, 0x0000FF00, 0x000000FF};
constexpr Text::value_type kNoData[] = "> Exit program... No data converted.";

// What the colour check saw, besides multicolour pixels.
struct ColorScan {
    bool badColorFound = false;
    std::int64_t color255Count = 0;
};

// One sheet being read: the run's options, the open file and how far it has
// been read.
struct SheetReader {
    const RunOptions& options;
    FileHandle file;
    BitmapHeader header;
    std::int64_t position; // bytes consumed so far
};

// Every refusal of the sheet ends the run here. The sheet is closed first, so
// that a paint program may save it again while -p waits for RETURN.
[[noreturn]] void Refuse(const SheetReader& reader, std::initializer_list<Text> lines)
{
    CloseFile(reader.file);
    FailRun(reader.options, lines);
}

// The bits of one pixel as stored: 8 for colour indexes, the picture's own
// depth for its colours.
std::int64_t StoredBits(const SheetReader& reader)
{
    return reader.options.realColors ? reader.header.biBitCount : 8;
}

// Every stored row is padded to whole 4-byte words.
std::int64_t RowBytes(const SheetReader& reader, const SourceBitmap& bitmap)
{
    return (bitmap.width * StoredBits(reader) + 31) / 32 * 4;
}

std::int64_t ImageBytes(const SheetReader& reader, const SourceBitmap& bitmap)
{
    return RowBytes(reader, bitmap) * bitmap.height;
}

void SkipBytes(SheetReader& reader, std::int64_t count)
{
    for (std::int64_t byte = 0; byte < count; byte += 1) {
        ReadInt8(reader.file);
    }
    reader.position += count;
}

void CheckFileType(const SheetReader& reader)
{
    if (!TextEquals(LowerCase(ExtensionOf(reader.options.sourceFile)), "bmp")) {
        Refuse(reader, {"", "> Error: Wrong filetype.",
                        ">        Only *.bmp ,256colors indexed, uncompressed files are allowed.", ""});
    }
}

void OpenSheet(SheetReader& reader)
{
    reader.file = OpenInputFile(reader.options.sourceFile);
    if (IsNullHandle(reader.file)) {
        Refuse(reader, {"> Error: Source bitmap file not found."});
    }
}

void ReadBitmapHeader(SheetReader& reader)
{
    BitmapHeader& header = reader.header;
    const FileHandle file = reader.file;
    header.bfType = ReadInt16(file);
    header.bfSize = ReadInt32(file);
    header.bfReserved = ReadInt32(file);
    header.bfOffBits = ReadInt32(file);
    if (header.bfType != kBitmapSignature) {
        Refuse(reader, {"> Error: BITMAPHEADER check failed."});
    }
    header.biSize = ReadInt32(file);
    header.biWidth = ReadInt32(file);
    header.biHeight = ReadInt32(file);
    header.biPlanes = ReadInt16(file);
    header.biBitCount = ReadInt16(file);
    header.biCompression = ReadInt32(file);
    header.biSizeImage = ReadInt32(file);
    header.biXPelsPerMeter = ReadInt32(file);
    header.biYPelsPerMeter = ReadInt32(file);
    header.biClrUsed = ReadInt32(file);
    header.biClrImportant = ReadInt32(file);
    reader.position += kHeaderBytes;
}

std::int32_t CheckPaletteSize(const SheetReader& reader, std::int32_t entries)
{
    if (entries < 0 || entries > kMaximumPaletteEntries) {
        Refuse(reader, {"> Error: Bitmap palette size is invalid."});
    }
    return entries;
}

// Colour indexes: the palette follows the 40 bytes of header fields, and
// reading it is what moves the file past it; its values are not used.
void SkipPalette(SheetReader& reader)
{
    SkipBytes(reader, 4 * CheckPaletteSize(reader, reader.header.biClrUsed));
}

void CheckCompression(const SheetReader& reader)
{
    if (reader.header.biCompression != 0) {
        Refuse(reader, {"Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files."});
    }
}

void CheckSize(const SheetReader& reader, SourceBitmap& bitmap)
{
    const BitmapHeader& header = reader.header;
    if (header.biWidth % 24 != 0) {
        Refuse(reader, {"Error: Wromg bitmap width. Bitmap width must be a multiple of 24."});
    }
    if (header.biWidth < 0) {
        Refuse(reader, {"> Error: Negative bitmap width is not supported."});
    }
    if (header.biHeight % 21 != 0) {
        Refuse(reader, {"Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21."});
    }
    bitmap.width = header.biWidth;
    bitmap.height = static_cast<MachineWord>(std::abs(std::int64_t{header.biHeight})); // at most 2147483646 here
}

// -colors: the depths and forms a paint program writes, each refused with
// its own line.
void CheckColorFormat(const SheetReader& reader)
{
    const BitmapHeader& header = reader.header;
    if (header.biSize < 40 || header.biSize > kLargestInfoHeader) {
        Refuse(reader, {"> Error: Bitmap info header of " + DecimalText(header.biSize) +
                            " bytes is not supported; use one of 40 to 124 bytes.", kNoData, ""});
    }
    const std::int32_t bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        Refuse(reader, {"> Error: Bitmap of " + DecimalText(bits) +
                            " bits per pixel is not supported; use 1, 4, 8, 24 or 32.", kNoData, ""});
    }
    if (header.biCompression != 0 && (header.biCompression != kBitFields || bits != 32)) {
        Refuse(reader, {"> Error: Compressed bitmap (biCompression " + DecimalText(header.biCompression) +
                            ") is not supported; save it uncompressed.", kNoData, ""});
    }
}

// The masks of a 32-bit picture stored as bit fields: in a larger info
// header, or right after the 40-byte one. Then the rest of the info header.
void ReadColorMasks(SheetReader& reader)
{
    const BitmapHeader& header = reader.header;
    std::int64_t headerLeft = header.biSize - 40;
    if (header.biCompression == kBitFields) {
        for (const std::int32_t usual : kUsualMasks) {
            if (ReadInt32(reader.file) != usual) {
                Refuse(reader, {"> Error: Bitmap color masks are not supported; use 8 bits each of red, "
                                "green and blue.", kNoData, ""});
            }
        }
        reader.position += 12;
        headerLeft = std::max<std::int64_t>(headerLeft - 12, 0);
    }
    SkipBytes(reader, headerLeft);
}

// -colors: the palette's colours, all entries of it when biClrUsed is 0.
std::vector<Rgb> ReadPaletteColors(SheetReader& reader)
{
    const std::int32_t bits = reader.header.biBitCount;
    const std::int32_t used = reader.header.biClrUsed;
    const std::int32_t entries = CheckPaletteSize(reader, used == 0 && bits <= 8 ? 1 << bits : used);
    std::vector<Rgb> palette;
    for (std::int32_t entry = 0; entry < entries; entry += 1) {
        const Rgb blueGreenRed = static_cast<Rgb>(ReadInt32(reader.file)); // the same 32 bits
        palette.push_back(blueGreenRed & 0xFFFFFF);
    }
    reader.position += 4 * entries;
    return palette;
}

// The pixels that bytesLeft bytes of rows hold: whole rows, then the whole
// pixels of one partial row.
std::int64_t PixelsHeld(const SheetReader& reader, const SourceBitmap& bitmap, std::int64_t bytesLeft)
{
    const std::int64_t rowBytes = RowBytes(reader, bitmap);
    if (rowBytes == 0) {
        return 0;
    }
    const std::int64_t partialRow = bytesLeft % rowBytes * 8 / StoredBits(reader);
    return bytesLeft / rowBytes * bitmap.width + std::min<std::int64_t>(partialRow, bitmap.width);
}

// Refuses pictures too large for the sprite cells, or for the pixels and the
// bytes their file can hold; then makes the zero-filled plane.
void MakePixelPlane(const SheetReader& reader, SourceBitmap& bitmap)
{
    const std::int64_t pixelCount = std::int64_t{bitmap.width} * bitmap.height;
    const std::int64_t imageBytes = ImageBytes(reader, bitmap);
    const std::optional<std::int64_t> fileSize = FileSizeOf(reader.file);
    const std::int64_t bytesLeft = fileSize ? std::max<std::int64_t>(*fileSize - reader.position, 0) : imageBytes;
    if (pixelCount > kMaximumPixels || imageBytes - bytesLeft > kMaximumMissing ||
        pixelCount - PixelsHeld(reader, bitmap, bytesLeft) > kMaximumMissing) {
        Refuse(reader, {"> Error: Bitmap is too large."});
    }
    bitmap.pixels.resize(static_cast<std::size_t>(pixelCount)); // 0 to 2^31 - 1 here, zeroed
}

// The pixel rows start at bfOffBits when that lies past the palette and the
// whole picture fits in the file from there (larger info headers, gaps);
// otherwise right after the palette. A pipe, which has no size, is read on
// from the palette.
void MoveToPixelRows(SheetReader& reader, const SourceBitmap& bitmap)
{
    const std::int64_t offset = reader.header.bfOffBits;
    const std::optional<std::int64_t> fileSize = FileSizeOf(reader.file);
    if (fileSize && offset + ImageBytes(reader, bitmap) <= *fileSize) {
        SkipBytes(reader, offset - reader.position);
    }
}

// Palette indexes of 1 or 4 bits, leftmost pixel in the highest bits.
void UnpackIndexes(const std::uint8_t* row, std::size_t bits, std::size_t width, std::uint8_t* indexes)
{
    const std::size_t perByte = 8 / bits;
    const unsigned mask = (1U << bits) - 1;
    for (std::size_t x = 0; x < width; x += 1) {
        const std::size_t shift = bits * (perByte - 1 - x % perByte);
        indexes[x] = static_cast<std::uint8_t>(unsigned{row[x / perByte]} >> shift & mask); // at most 4 bits
    }
}

// BMP rows are stored bottom row first unless the height was negative; the
// plane always ends up top row first. An 8-bit row is read straight into the
// plane; others are unpacked to palette indexes or, by the decoder, to C64
// colours.
void ReadPixelRows(SheetReader& reader, SourceBitmap& bitmap, TrueColorDecoder* decoder)
{
    MoveToPixelRows(reader, bitmap);
    // A picture without pixels may still claim rows of up to 2147483646 or a
    // row of gigabytes: neither is read.
    if (bitmap.pixels.empty()) {
        return;
    }
    const std::size_t width = static_cast<std::size_t>(bitmap.width); // positive here
    const std::size_t bits = static_cast<std::size_t>(StoredBits(reader)); // 1 to 32 here
    std::vector<std::uint8_t> row(static_cast<std::size_t>(RowBytes(reader, bitmap))); // positive here
    const bool topDown = reader.header.biHeight < 0;
    for (MachineWord fileRow = 0; fileRow < bitmap.height; fileRow += 1) {
        std::uint8_t* pixels = bitmap.pixels.data() + (topDown ? fileRow : bitmap.height - 1 - fileRow) * bitmap.width;
        if (bits == 8) {
            ReadBytes(reader.file, pixels, width);
            continue;
        }
        ReadBytes(reader.file, row.data(), row.size());
        if (bits < 8) {
            UnpackIndexes(row.data(), bits, width, pixels);
        } else {
            DecodeTrueColorRow(*decoder, row.data(), width, pixels);
        }
    }
}

// The whole index in hexadecimal, at least five digits, and its column and row.
Text ColorErrorLine(std::uint8_t color, std::int64_t index, std::int64_t width)
{
    const Text hexIndex = HexText(index, 0);
    const Text indexField = hexIndex.size() < 5 ? PadLeft(hexIndex, 5, "0") : hexIndex;
    return "> Error: Color " + DecimalText(color) + " found on index $" + indexField + " | (X" +
           DecimalText(index % width) + ",Y" + DecimalText(index / width) + ")";
}

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

// A multicolour picture may use the indexes 0 to 3, a hires picture 0 and 1.
ColorScan ReadIndexes(SheetReader& reader, SourceBitmap& bitmap)
{
    const bool hires = reader.options.hiresSprites;
    ReadPixelRows(reader, bitmap, nullptr);
    const ColorScan scan = ScanColors(bitmap, hires ? 1 : 3);
    if (scan.badColorFound) {
        Refuse(reader, {hires ? "> Use colors 0-1 and 255 for hires pictures only."
                              : "> Use colors 0-3 and 255 for your pictures only.",
                        kNoData, ""});
    }
    return scan;
}

// Only 8-bit pictures are read. Another depth leaves the plane all 0: as
// multicolour sprites the picture is then refused as single-colour by the
// sprite grid, but as hires sprites it would convert to empty ones.
ColorScan ReadSheetIndexes(SheetReader& reader, SourceBitmap& bitmap)
{
    const std::int32_t bitCount = reader.header.biBitCount;
    if (bitCount == 4) {
        Refuse(reader, {"> Error. Source bitmap has only 16 colors.", "> Please use 256color pics only.", kNoData, ""});
    }
    if (bitCount != 8 && reader.options.hiresSprites) {
        Refuse(reader, {"> Error: Source bitmap has " + DecimalText(bitCount) +
                        " bits per pixel. Please use 256color pics only."});
    }
    return bitCount == 8 ? ReadIndexes(reader, bitmap) : ColorScan();
}

// Turns the palette indexes of the plane into C64 colours, in plane order; an
// index beyond the palette gets a line of its own and refuses the sheet.
void MapPaletteIndexes(const SheetReader& reader, SourceBitmap& bitmap, const std::vector<Rgb>& palette,
                       RecognisedColors& recognised)
{
    const std::vector<std::uint8_t> colors = PaletteColors(palette);
    std::vector<bool> noted(palette.size());
    bool outside = false;
    std::int64_t index = 0;
    for (std::uint8_t& pixel : bitmap.pixels) {
        if (pixel < palette.size()) {
            if (!noted[pixel]) {
                noted[pixel] = true;
                NoteColor(recognised, palette[pixel], colors[pixel]);
            }
            pixel = colors[pixel];
        } else {
            outside = true;
            PrintLine("> Error: Pixel (X" + DecimalText(index % bitmap.width) + ",Y" +
                      DecimalText(index / bitmap.width) +
                      ") uses palette entry " + DecimalText(pixel) + " of " + DecimalText(std::ssize(palette)));
        }
        index += 1;
    }
    if (outside) {
        Refuse(reader, {kNoData, ""});
    }
}

// -colors: every pixel becomes a C64 colour 0-15, and the console shows which
// RGB values became which colour.
void ReadSheetColors(SheetReader& reader, SourceBitmap& bitmap, const std::vector<Rgb>& palette)
{
    const std::int32_t bits = reader.header.biBitCount;
    TrueColorDecoder decoder = MakeTrueColorDecoder(bits == 32 ? 4 : 3);
    ReadPixelRows(reader, bitmap, &decoder);
    if (bits <= 8) {
        MapPaletteIndexes(reader, bitmap, palette, decoder.recognised);
    }
    PrintRecognisedColors(decoder.recognised);
}

} // namespace

SourceBitmap LoadSourceBitmap(const RunOptions& options)
{
    SourceBitmap bitmap;
    SheetReader reader{options, FileHandle(), {}, 0};
    CheckFileType(reader);
    OpenSheet(reader);
    ReadBitmapHeader(reader);
    std::vector<Rgb> palette;
    if (options.realColors) {
        CheckColorFormat(reader);
        ReadColorMasks(reader);
        palette = ReadPaletteColors(reader);
    } else {
        SkipPalette(reader);
        CheckCompression(reader);
    }
    CheckSize(reader, bitmap);
    MakePixelPlane(reader, bitmap);
    PrintLine("> Scanning " + DecimalText(reader.header.biSizeImage) + " bytes of pixeldata...");
    if (options.realColors) {
        ReadSheetColors(reader, bitmap, palette);
        CloseFile(reader.file);
        return bitmap;
    }
    const ColorScan scan = ReadSheetIndexes(reader, bitmap);
    CloseFile(reader.file);
    if (scan.color255Count > 0) {
        PrintLine("> Info: " + DecimalText(scan.color255Count) + " pixel found with color index 255. Set to index 0..");
    }
    return bitmap;
}
