#include "bitmap_reader.hpp"

#include <algorithm>
#include <cstdlib>

#include "runtime/console.hpp"
#include "runtime/files.hpp"

namespace {

// The file and info headers in file order, named as in the BMP format; the
// 16-bit fields are kept sign-extended, as they are read.
struct BitmapHeader {
    std::int32_t bfType = 0;
    std::int32_t bfSize = 0;
    std::int32_t bfReserved = 0; // bfReserved1 and bfReserved2, read together
    std::int32_t bfOffBits = 0;
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int32_t biPlanes = 0;
    std::int32_t biBitCount = 0;
    std::int32_t biCompression = 0;
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;
};

constexpr std::int32_t kBitmapSignature = 19778; // "BM"
constexpr std::int64_t kHeaderBytes = 54;
constexpr std::int32_t kMaximumPaletteEntries = 256;
// Pictures of more pixels do not fit the 32-bit pixel index of a sprite cell.
constexpr std::int64_t kMaximumPixels = 2147483647;
// A header may claim at most this many pixels beyond the bytes its file holds;
// missing pixels read as index 0, but memory and time stay bounded by the file.
constexpr std::int64_t kMaximumMissingPixels = 16777216;

// What the colour check saw, besides multicolour pixels.
struct ColorScan {
    bool badColorFound = false;
    std::int64_t color255Count = 0;
};

// One sheet being read: the run's options, the open file and where it stands.
struct SheetReader {
    const RunOptions& options;
    FileHandle file;
    BitmapHeader header;
    std::int64_t position = 0; // bytes consumed so far
    std::int64_t pixelCount = 0; // width x height
    bool topDown = false;
};

// Every refusal of the sheet ends the run here. The sheet is closed first, so
// that a paint program may save it again while -p waits for RETURN.
[[noreturn]] void Refuse(const SheetReader& reader, std::initializer_list<Text> lines)
{
    CloseFile(reader.file);
    FailRun(reader.options, lines);
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
    reader.position = kHeaderBytes;
}

// Reading the palette is what moves the file past it; its values are not used.
void SkipPalette(SheetReader& reader)
{
    const std::int32_t entries = reader.header.biClrUsed;
    if (entries < 0 || entries > kMaximumPaletteEntries) {
        Refuse(reader, {"> Error: Bitmap palette size is invalid."});
    }
    for (std::int32_t byte = 0; byte < 4 * entries; byte += 1) {
        ReadInt8(reader.file);
    }
    reader.position += 4 * entries;
}

void CheckFormat(SheetReader& reader, SourceBitmap& bitmap)
{
    const BitmapHeader& header = reader.header;
    if (header.biCompression != 0) {
        Refuse(reader, {"Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files."});
    }
    if (header.biWidth % 24 != 0) {
        Refuse(reader, {"Error: Wromg bitmap width. Bitmap width must be a multiple of 24."});
    }
    if (header.biWidth < 0) {
        Refuse(reader, {"> Error: Negative bitmap width is not supported."});
    }
    if (header.biHeight % 21 != 0) {
        Refuse(reader, {"Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21."});
    }
    // A negative height means the rows are stored top row first.
    reader.topDown = header.biHeight < 0;
    bitmap.width = header.biWidth;
    bitmap.height = static_cast<MachineWord>(std::abs(std::int64_t{header.biHeight})); // at most 2147483646 here
    reader.pixelCount = std::int64_t{bitmap.width} * bitmap.height;
}

// Refuses pictures too large for the sprite cells or for the bytes their file
// can hold; then makes the zero-filled plane.
void MakePixelPlane(const SheetReader& reader, SourceBitmap& bitmap)
{
    const std::int64_t fileSize = FileSizeOf(reader.file);
    const std::int64_t bytesLeft =
        fileSize < 0 ? reader.pixelCount : std::max<std::int64_t>(fileSize - reader.position, 0);
    if (reader.pixelCount > kMaximumPixels || reader.pixelCount - bytesLeft > kMaximumMissingPixels) {
        Refuse(reader, {"> Error: Bitmap is too large."});
    }
    bitmap.pixels.assign(static_cast<std::size_t>(reader.pixelCount), 0); // 0 to 2^31 - 1 here
}

// The pixel rows start at bfOffBits when that lies past the palette and the
// whole picture fits in the file from there (larger info headers, gaps);
// otherwise right after the palette. A pipe, which has no size, is read on
// from the palette.
void MoveToPixelRows(SheetReader& reader)
{
    const std::int64_t offset = reader.header.bfOffBits;
    if (offset + reader.pixelCount <= FileSizeOf(reader.file)) {
        for (; reader.position < offset; reader.position += 1) {
            ReadInt8(reader.file);
        }
    }
}

// BMP rows are stored bottom row first unless the height was negative; the
// plane always ends up top row first. Each row is read whole, straight into
// the plane.
void ReadPixelRows(const SheetReader& reader, SourceBitmap& bitmap)
{
    // Rows without columns hold no pixels: a height of up to 2147483646 would
    // otherwise cost seconds for nothing.
    if (bitmap.width == 0) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(bitmap.width); // positive here
    for (MachineWord fileRow = 0; fileRow < bitmap.height; fileRow += 1) {
        const MachineWord row = reader.topDown ? fileRow : bitmap.height - 1 - fileRow;
        ReadBytes(reader.file, bitmap.pixels.data() + row * bitmap.width, rowBytes);
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
    MoveToPixelRows(reader);
    ReadPixelRows(reader, bitmap);
    const ColorScan scan = ScanColors(bitmap, hires ? 1 : 3);
    if (scan.badColorFound) {
        Refuse(reader, {hires ? "> Use colors 0-1 and 255 for hires pictures only."
                              : "> Use colors 0-3 and 255 for your pictures only.",
                        "> Exit program... No data converted.", ""});
    }
    return scan;
}

// Only 8-bit pictures are read. Another depth leaves the plane all 0: as
// multicolour sprites the picture is then refused as single-colour by the
// sprite grid, but as hires sprites it would convert to empty ones.
ColorScan ReadSheetPixels(SheetReader& reader, SourceBitmap& bitmap)
{
    const std::int32_t bitCount = reader.header.biBitCount;
    if (bitCount == 4) {
        Refuse(reader, {"> Error. Source bitmap has only 16 colors.", "> Please use 256color pics only.",
                        "> Exit program... No data converted.", ""});
    }
    if (bitCount != 8 && reader.options.hiresSprites) {
        Refuse(reader, {"> Error: Source bitmap has " + DecimalText(bitCount) +
                        " bits per pixel. Please use 256color pics only."});
    }
    return bitCount == 8 ? ReadIndexes(reader, bitmap) : ColorScan();
}

} // namespace

SourceBitmap LoadSourceBitmap(const RunOptions& options)
{
    SourceBitmap bitmap;
    SheetReader reader{options, FileHandle(), BitmapHeader()};
    CheckFileType(reader);
    OpenSheet(reader);
    ReadBitmapHeader(reader);
    SkipPalette(reader);
    CheckFormat(reader, bitmap);
    MakePixelPlane(reader, bitmap);
    PrintLine("> Scanning " + DecimalText(reader.header.biSizeImage) + " bytes of pixeldata...");
    const ColorScan scan = ReadSheetPixels(reader, bitmap);
    CloseFile(reader.file);
    if (scan.color255Count > 0) {
        PrintLine("> Info: " + DecimalText(scan.color255Count) + " pixel found with color index 255. Set to index 0..");
    }
    return bitmap;
}
