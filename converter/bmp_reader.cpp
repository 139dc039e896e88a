#include "bmp_reader.hpp"

#include <algorithm>

#include "runtime/console.hpp"

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
// -colors: the info headers of 40 to 124 bytes, and the usual masks of a
// 32-bit picture stored as bit fields.
constexpr std::int32_t kLargestInfoHeader = 124;
constexpr std::int32_t kBitFields = 3;
constexpr std::int32_t kUsualMasks[] = {0x00FF0000, 0x0000FF00, 0x000000FF};

// A BMP being read: the sheet, its headers and how far it has been read.
struct BmpReader {
    const Sheet& sheet;
    BitmapHeader header;
    std::int64_t position; // bytes consumed so far
};

// The bits of one pixel as stored: 8 for colour indexes, the picture's own
// depth for its colours.
std::int64_t StoredBits(const BmpReader& reader)
{
    return reader.sheet.options.realColors ? reader.header.biBitCount : 8;
}

// Every stored row is padded to whole 4-byte words.
std::int64_t RowBytes(const BmpReader& reader, const SourceBitmap& bitmap)
{
    return (bitmap.width * StoredBits(reader) + 31) / 32 * 4;
}

std::int64_t ImageBytes(const BmpReader& reader, const SourceBitmap& bitmap)
{
    return RowBytes(reader, bitmap) * bitmap.height;
}

void SkipBytes(BmpReader& reader, std::int64_t count)
{
    for (std::int64_t byte = 0; byte < count; byte += 1) {
        ReadInt8(reader.sheet.file);
    }
    reader.position += count;
}

Refused ReadBitmapHeader(BmpReader& reader)
{
    BitmapHeader& header = reader.header;
    const FileHandle file = reader.sheet.file;
    header.bfType = ReadInt16(file);
    header.bfSize = ReadInt32(file);
    header.bfReserved = ReadInt32(file);
    header.bfOffBits = ReadInt32(file);
    if (header.bfType != kBitmapSignature) {
        return SheetRefusal({"> Error: BITMAPHEADER check failed."});
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
    return {};
}

Refused CheckPaletteSize(std::int32_t entries)
{
    if (entries < 0 || entries > kMaximumPaletteEntries) {
        return SheetRefusal({"> Error: Bitmap palette size is invalid."});
    }
    return {};
}

// Colour indexes: the palette follows the 40 bytes of header fields, and
// reading it is what moves the file past it; its values are not used. Then
// the compression.
Refused SkipPalette(BmpReader& reader)
{
    if (Refused refused = CheckPaletteSize(reader.header.biClrUsed)) {
        return refused;
    }
    SkipBytes(reader, 4 * reader.header.biClrUsed);
    if (reader.header.biCompression != 0) {
        return SheetRefusal({"Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files."});
    }
    return {};
}

// -colors: the depths and forms a paint program writes, each refused with
// its own line.
Refused CheckColorFormat(const BmpReader& reader)
{
    const BitmapHeader& header = reader.header;
    if (header.biSize < 40 || header.biSize > kLargestInfoHeader) {
        return SheetRefusal({"> Error: Bitmap info header of " + DecimalText(header.biSize) +
                                 " bytes is not supported; use one of 40 to 124 bytes.", kNoData, ""});
    }
    const std::int32_t bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return SheetRefusal({"> Error: Bitmap of " + DecimalText(bits) +
                                 " bits per pixel is not supported; use 1, 4, 8, 24 or 32.", kNoData, ""});
    }
    if (header.biCompression != 0 && (header.biCompression != kBitFields || bits != 32)) {
        return SheetRefusal({"> Error: Compressed bitmap (biCompression " + DecimalText(header.biCompression) +
                                 ") is not supported; save it uncompressed.", kNoData, ""});
    }
    return {};
}

// The masks of a 32-bit picture stored as bit fields: in a larger info
// header, or right after the 40-byte one. Then the rest of the info header.
Refused ReadColorMasks(BmpReader& reader)
{
    const BitmapHeader& header = reader.header;
    std::int64_t headerLeft = header.biSize - 40;
    if (header.biCompression == kBitFields) {
        for (const std::int32_t usual : kUsualMasks) {
            if (ReadInt32(reader.sheet.file) != usual) {
                return SheetRefusal({"> Error: Bitmap color masks are not supported; use 8 bits each of red, "
                                     "green and blue.", kNoData, ""});
            }
        }
        reader.position += 12;
        headerLeft = std::max<std::int64_t>(headerLeft - 12, 0);
    }
    SkipBytes(reader, headerLeft);
    return {};
}

// -colors: the palette's colours, all entries of it when biClrUsed is 0; a
// BMP marks none of them transparent.
Refused ReadPaletteColors(BmpReader& reader, Palette& palette)
{
    const std::int32_t bits = reader.header.biBitCount;
    const std::int32_t used = reader.header.biClrUsed;
    const std::int32_t entries = used == 0 && bits <= 8 ? 1 << bits : used;
    if (Refused refused = CheckPaletteSize(entries)) {
        return refused;
    }
    for (std::int32_t entry = 0; entry < entries; entry += 1) {
        const Rgb blueGreenRed = static_cast<Rgb>(ReadInt32(reader.sheet.file)); // the same 32 bits
        palette.colors.push_back(blueGreenRed & 0xFFFFFF);
    }
    palette.transparent.resize(palette.colors.size());
    reader.position += 4 * entries;
    return {};
}

// -colors: the format checked, the masks and the palette read.
Refused ReadColorHeaders(BmpReader& reader, Palette& palette)
{
    Refused refused = CheckColorFormat(reader);
    refused = refused ? refused : ReadColorMasks(reader);
    return refused ? refused : ReadPaletteColors(reader, palette);
}

// How a row is handed over: 8-bit colour indexes, or with -colors the
// picture's own indexes or colours.
RowFormat RowFormatOf(const BmpReader& reader)
{
    const std::size_t bits = static_cast<std::size_t>(StoredBits(reader)); // 1 to 32 here
    return {bits, bits > 8, bits == 32 ? kBlueGreenRedUnused : kBlueGreenRed};
}

// Refuses pictures of a wrong size, or too large for the sprite cells or for
// what their file holds; then makes the zero-filled plane.
Refused MakeBmpPlane(const BmpReader& reader, PlaneBuilder& builder)
{
    if (Refused refused = SetPlaneSize(builder, reader.header.biWidth, reader.header.biHeight)) {
        return refused;
    }
    const SourceBitmap& bitmap = builder.bitmap;
    const std::optional<std::int64_t> fileSize = FileSizeOf(reader.sheet.file);
    const std::int64_t bytesHeld =
        fileSize ? std::max<std::int64_t>(*fileSize - reader.position, 0) : ImageBytes(reader, bitmap);
    return MakePlane(builder, {RowBytes(reader, bitmap), StoredBits(reader), bytesHeld}, RowFormatOf(reader));
}

// The pixel rows start at bfOffBits when the whole picture fits in the file
// from there (larger info headers, gaps); otherwise right after the palette.
// A pipe, which has no size, is read on from the palette.
void MoveToPixelRows(BmpReader& reader, const SourceBitmap& bitmap)
{
    const std::int64_t offset = reader.header.bfOffBits;
    const std::optional<std::int64_t> fileSize = FileSizeOf(reader.sheet.file);
    if (fileSize && offset + ImageBytes(reader, bitmap) <= *fileSize) {
        SkipBytes(reader, offset - reader.position);
    }
}

// BMP rows are stored bottom row first unless the height was negative; the
// plane always ends up top row first. Each row goes through the builder's
// row buffer; its padding is skipped.
void ReadPixelRows(BmpReader& reader, PlaneBuilder& builder)
{
    const SourceBitmap& bitmap = builder.bitmap;
    MoveToPixelRows(reader, bitmap);
    if (bitmap.pixels.empty()) {
        return;
    }
    std::vector<std::uint8_t>& row = builder.row;
    const std::int64_t padding = RowBytes(reader, bitmap) - std::ssize(row);
    const bool topDown = reader.header.biHeight < 0;
    for (MachineWord fileRow = 0; fileRow < bitmap.height; fileRow += 1) {
        ReadBytes(reader.sheet.file, row.data(), row.size());
        SkipBytes(reader, padding);
        StoreRow(builder, static_cast<std::size_t>(topDown ? fileRow : bitmap.height - 1 - fileRow), kEveryColumn);
    }
}

// Only 8-bit pictures are read. Another depth leaves the plane all 0: as
// multicolour sprites the picture is then refused as single-colour by the
// sprite grid, but as hires sprites it would convert to empty ones.
Refused ReadSheetIndexes(BmpReader& reader, PlaneBuilder& builder)
{
    const std::int32_t bitCount = reader.header.biBitCount;
    if (bitCount == 4) {
        return SheetRefusal(
            {"> Error. Source bitmap has only 16 colors.", "> Please use 256color pics only.", kNoData, ""});
    }
    if (bitCount != 8 && reader.sheet.options.hiresSprites) {
        return SheetRefusal({"> Error: Source bitmap has " + DecimalText(bitCount) +
                             " bits per pixel. Please use 256color pics only."});
    }
    if (bitCount == 8) {
        ReadPixelRows(reader, builder);
    }
    return {};
}

// The headers up to the pixel rows, and the plane.
Refused ReadHeaders(BmpReader& reader, Palette& palette, PlaneBuilder& builder)
{
    Refused refused = ReadBitmapHeader(reader);
    if (!refused) {
        refused = reader.sheet.options.realColors ? ReadColorHeaders(reader, palette) : SkipPalette(reader);
    }
    return refused ? refused : MakeBmpPlane(reader, builder);
}

// The pixel rows into the plane, then the plane finished: with -colors, the
// palette of a picture of palette indexes mapped.
Outcome<SourceBitmap> ReadPicture(BmpReader& reader, const Palette& palette, PlaneBuilder& builder)
{
    if (!reader.sheet.options.realColors) {
        if (Refused refused = ReadSheetIndexes(reader, builder)) {
            return *refused;
        }
        return FinishPlane(builder, nullptr);
    }
    ReadPixelRows(reader, builder);
    return FinishPlane(builder, reader.header.biBitCount <= 8 ? &palette : nullptr);
}

} // namespace

Outcome<SourceBitmap> ReadBmpSheet(const Sheet& sheet)
{
    BmpReader reader{sheet, {}, 0};
    PlaneBuilder builder = NewPlaneBuilder(sheet.options);
    Palette palette;
    if (Refused refused = ReadHeaders(reader, palette, builder)) {
        return *refused;
    }
    PrintScanningLine(reader.header.biSizeImage);
    return ReadPicture(reader, palette, builder);
}
