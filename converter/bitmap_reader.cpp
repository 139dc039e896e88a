#include "bitmap_reader.hpp"

#include <algorithm>
#include <vector>

#include "runtime/console.hpp"
#include "runtime/files.hpp"

namespace {

// An 8-bit picture's position in the file and the order of its rows.
struct PixelLayout {
    std::int64_t position = 0; // bytes consumed so far
    bool topDown = false;
    std::int64_t pixelCount = 0; // width x height
};

[[noreturn]] void Fail(const Text& line)
{
    PrintLine(line);
    Quit(1);
    EndProgram();
}

void CheckFileType(const Text& sourceFile)
{
    if (!TextEquals(LowerCase(ExtensionOf(sourceFile)), "bmp")) {
        PrintLine("");
        PrintLine("> Error: Wrong filetype.");
        PrintLine(">        Only *.bmp ,256colors indexed, uncompressed files are allowed.");
        PrintLine("");
        Quit(1);
    }
}

void ReadBitmapHeader(FileHandle file, BitmapHeader& header)
{
    header.bfType = static_cast<std::int16_t>(ReadInt16(file));
    header.bfSize = ReadInt32(file);
    header.bfReserved = ReadInt32(file);
    header.bfOffBits = ReadInt32(file);
    if (header.bfType != kBitmapSignature) {
        Fail("> Error: BITMAPHEADER check failed.");
    }
    header.biSize = ReadInt32(file);
    header.biWidth = ReadInt32(file);
    header.biHeight = ReadInt32(file);
    header.biPlanes = static_cast<std::int16_t>(ReadInt16(file));
    header.biBitCount = static_cast<std::int16_t>(ReadInt16(file));
    header.biCompression = ReadInt32(file);
    header.biSizeImage = ReadInt32(file);
    header.biXPelsPerMeter = ReadInt32(file);
    header.biYPelsPerMeter = ReadInt32(file);
    header.biClrUsed = ReadInt32(file);
    header.biClrImportant = ReadInt32(file);
}

// Reading the palette is what moves the file past it; its values are not used.
void ReadPalette(FileHandle file, const BitmapHeader& header, PixelLayout& layout)
{
    if (header.biClrUsed < 0 || header.biClrUsed > kMaximumPaletteEntries) {
        Fail("> Error: Bitmap palette size is invalid.");
    }
    std::vector<std::int32_t> palette(static_cast<std::size_t>(header.biClrUsed) * 4);
    for (std::int32_t& entry : palette) {
        entry = ReadInt8(file);
    }
    layout.position = kHeaderBytes + static_cast<std::int64_t>(palette.size());
}

void CheckFormat(const BitmapHeader& header, SourceBitmap& bitmap, PixelLayout& layout)
{
    if (header.biCompression != 0) {
        Fail("Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files.");
    }
    if (header.biWidth % 24 != 0) {
        Fail("Error: Wromg bitmap width. Bitmap width must be a multiple of 24.");
    }
    if (header.biWidth < 0) {
        Fail("> Error: Negative bitmap width is not supported.");
    }
    if (header.biHeight % 21 != 0) {
        Fail("Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21.");
    }
    // A negative height means the rows are stored top row first.
    layout.topDown = header.biHeight < 0;
    bitmap.width = header.biWidth;
    bitmap.height = static_cast<MachineWord>(layout.topDown ? -static_cast<std::int64_t>(header.biHeight)
                                                            : header.biHeight);
    layout.pixelCount = static_cast<std::int64_t>(bitmap.width) * bitmap.height;
}

// Refuses pictures too large for the sprite cells, for memory, or for the
// bytes their file can hold.
void CheckPictureSize(FileHandle file, const PixelLayout& layout)
{
    const std::int64_t pixelCount = layout.pixelCount;
    const std::int64_t fileSize = FileSizeOf(file);
    const std::int64_t bytesLeft = fileSize < 0 ? pixelCount : std::max<std::int64_t>(fileSize - layout.position, 0);
    if (pixelCount > kMaximumPixels || pixelCount - bytesLeft > kMaximumMissingPixels) {
        Fail("> Error: Bitmap is too large.");
    }
}

void MakePixelPlane(SourceBitmap& bitmap, const PixelLayout& layout)
{
    if (!MakePlane(bitmap.pixels, layout.pixelCount)) {
        Fail("> Error: Bitmap is too large.");
    }
}

// The pixel rows start at bfOffBits when that lies past the palette and the
// whole picture fits in the file from there (larger info headers, gaps);
// otherwise right after the palette.
void MoveToPixelRows(FileHandle file, const BitmapHeader& header, PixelLayout& layout)
{
    const std::int64_t fileSize = FileSizeOf(file);
    if (header.bfOffBits > layout.position && fileSize >= 0 && header.bfOffBits + layout.pixelCount <= fileSize) {
        for (std::int64_t skipped = layout.position; skipped < header.bfOffBits; skipped += 1) {
            ReadInt8(file);
        }
        layout.position = header.bfOffBits;
    }
}

// BMP rows are stored bottom row first unless the height was negative; the
// plane always ends up top row first. Each row is read whole, straight into
// the plane: the indexes are bytes, so no wider copy of the picture is kept.
void ReadPixelRows(FileHandle file, SourceBitmap& bitmap, const PixelLayout& layout)
{
    const std::int64_t width = bitmap.width;
    const std::int64_t height = bitmap.height;
    // Rows without columns hold no pixels: a height of up to 2147483646 would
    // otherwise cost seconds for nothing.
    if (width <= 0) {
        return;
    }
    for (std::int64_t fileRow = 0; fileRow < height; fileRow += 1) {
        const std::int64_t row = layout.topDown ? fileRow : height - 1 - fileRow;
        ReadBytes(file, &bitmap.pixels.entries[static_cast<std::size_t>(row * width)], width);
    }
}

// Walks the plane in order, top row first; index 255 becomes 0 in place. A
// multicolour picture may use the indexes 0 to 3, a hires picture 0 and 1.
void ScanColors(SourceBitmap& bitmap, bool hires)
{
    const std::uint8_t highestIndex = hires ? 1 : 3;
    ColorScan& scan = bitmap.scan;
    std::uint8_t* pixels = bitmap.pixels.entries.get();
    for (MachineWord p = 0; p < bitmap.pixels.count; p += 1) {
        const std::uint8_t color = pixels[p];
        if (color <= 1) {
            continue;
        }
        if (color == 255) {
            pixels[p] = 0;
            scan.color255Found = true;
            scan.color255Count += 1;
        } else if (color > highestIndex) {
            scan.badColorFound = true;
            PrintLine(ColorErrorLine(color, p, bitmap.width));
        } else {
            scan.multicolorFound = true;
        }
    }
}

void RefuseBadColors(FileHandle file, bool hires)
{
    PrintLine(hires ? "> Use colors 0-1 and 255 for hires pictures only."
                    : "> Use colors 0-3 and 255 for your pictures only.");
    PrintLine("> Exit program... No data converted.");
    PrintLine("");
    CloseFile(file);
    Quit(1);
}

void RefuseSixteenColors(FileHandle file)
{
    PrintLine("> Error. Source bitmap has only 16 colors.");
    PrintLine("> Please use 256color pics only.");
    PrintLine("> Exit program... No data converted.");
    PrintLine("");
    CloseFile(file);
    Quit(1);
}

// A picture of another depth reads no pixels: as multicolour sprites it is then
// refused as single-colour, but as hires sprites it would convert to empty ones.
void RefuseHiresDepth(FileHandle file, std::int16_t bitCount)
{
    PrintLine("> Error: Source bitmap has " + DecimalText(bitCount) +
              " bits per pixel. Please use 256color pics only.");
    CloseFile(file);
    Quit(1);
}

} // namespace

Text ColorErrorLine(std::uint8_t color, std::int64_t index, std::int64_t width)
{
    // The whole index, at least five digits.
    const Text hexIndex = HexText(index, 0);
    const Text indexField = hexIndex.size() < 5 ? PadLeft(hexIndex, 5, "0") : hexIndex;
    return "> Error: Color " + DecimalText(color) + " found on index $" + indexField + " | (X" +
           DecimalText(index % width) + ",Y" + DecimalText(index / width) + ")";
}

void LoadSourceBitmap(const RunOptions& options, SourceBitmap& bitmap)
{
    CheckFileType(options.sourceFile);
    const FileHandle file = OpenInputFile(options.sourceFile);
    if (IsNullHandle(file)) {
        Fail("> Error: Source bitmap file not found.");
    }
    BitmapHeader& header = bitmap.header;
    PixelLayout layout;
    ReadBitmapHeader(file, header);
    ReadPalette(file, header, layout);
    CheckFormat(header, bitmap, layout);
    CheckPictureSize(file, layout);

    MakePixelPlane(bitmap, layout);
    PrintLine("> Scanning " + DecimalText(header.biSizeImage) + " bytes of pixeldata...");
    bitmap.scan.color255Count = 0;
    if (header.biBitCount == 4) {
        RefuseSixteenColors(file);
    }
    const bool hires = options.hiresSprites == 1;
    if (header.biBitCount == 8) {
        MoveToPixelRows(file, header, layout);
        ReadPixelRows(file, bitmap, layout);
        ScanColors(bitmap, hires);
        if (bitmap.scan.badColorFound) {
            RefuseBadColors(file, hires);
        }
    } else if (hires) {
        RefuseHiresDepth(file, header.biBitCount);
    }
    CloseFile(file);
    if (bitmap.scan.color255Found) {
        PrintLine("> Info: " + DecimalText(bitmap.scan.color255Count) +
                  " pixel found with color index 255. Set to index 0..");
    }
}
