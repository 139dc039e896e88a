// The sheet reader fed from memory: the headers of BMP and PNG files at their
// edges, each answered by the lines the reader prints and its refusal, or by
// the size of the plane it hands on.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>
#include <vector>

#include "converter/sheet_reader.hpp"
#include "tests/unit/test_support.hpp"

// A case names the fields it sets; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const Text kNoData = "> Exit program... No data converted.";
const Text kBadHeight = "Error: Wromg bitmap hight. Bitmap hight must be a multiple of 21.";
const Text kBadWidth = "Error: Wromg bitmap width. Bitmap width must be a multiple of 24.";
const Text kBadPalette = "> Error: Bitmap palette size is invalid.";
const Text kTooLarge = "> Error: Bitmap is too large.";
constexpr SheetOptions kIndexes{false, false};
constexpr SheetOptions kColors{true, false};

std::string Scanning(std::int64_t bytes)
{
    return "> Scanning " + std::to_string(bytes) + " bytes of pixeldata...";
}

// What the reader made of a file named a.bmp: the lines it printed, then its
// refusal's lines or the plane's size as "W x H".
std::vector<Text> Read(const std::string& bytes, SheetOptions options, const Text& name = "a.bmp")
{
    const InMemory memory({{name, {bytes.begin(), bytes.end()}}});
    const Outcome<SourceBitmap> outcome = LoadSourceBitmap(name, options);
    std::vector<Text> lines = memory.console.lines;
    if (const Refusal* refusal = RefusalOf(outcome)) {
        lines.insert(lines.end(), refusal->lines.begin(), refusal->lines.end());
    } else {
        const SourceBitmap& bitmap = std::get<SourceBitmap>(outcome);
        lines.push_back(std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height));
    }
    return lines;
}

struct SheetCase {
    const char* name;
    std::string file;
    SheetOptions options;
    std::vector<Text> lines;
};

// A header that ends after its bit count, found by fuzzing: 48 x 1376382
// pixels of 1 bit in 34 bytes.
std::string CutHeader()
{
    return "BM" + LittleEndian(0xFFFF00AA, 4) + LittleEndian(0x1E000000, 4) + LittleEndian(70, 4) +
           BmpFile({.width = 48, .height = 1376382, .bits = 1, .infoSize = 88, .pixels = ""}).substr(14, 20);
}

// 24 x 699069 pixels of this depth in this many bytes of pixels.
std::string Tall(std::int16_t bits, std::size_t bytes)
{
    return BmpFile({.width = 24, .height = 699069, .bits = bits, .clrUsed = 2, .paletteEntries = 2,
                    .pixels = std::string(bytes, 0)});
}

// A refusal that says no data was converted.
std::vector<Text> NoData(const Text& line)
{
    return {line, kNoData, ""};
}

const Text kInfoHeaderOf = "> Error: Bitmap info header of ";
const Text kCompressedBy = "> Error: Compressed bitmap (biCompression ";
const Text kBlackRead = "> Color 0 (black): 000000";
const SheetCase kBmpCases[] = {
    {"an empty file", "", kIndexes, {"> Error: BITMAPHEADER check failed."}},
    {"a 13-byte file", "not a bitmap!", kIndexes, {"> Error: BITMAPHEADER check failed."}},
    {"compression before width", BmpFile({.width = 40, .compression = 1, .pixels = ""}), kIndexes,
     {"Error: Wromg bitmap format. Use only UNCOMPRESSED 256color files."}},
    {"width 40", BmpFile({.width = 40, .pixels = std::string(1680, '\0')}), kIndexes, {kBadWidth}},
    {"width before height", BmpFile({.width = 40, .height = 20, .pixels = ""}), kIndexes, {kBadWidth}},
    {"height 20", BmpFile({.height = 20}), kIndexes, {kBadHeight}},
    {"height -20", BmpFile({.height = -20}), kIndexes, {kBadHeight}},
    {"negative width", BmpFile({.width = -48}), kIndexes, {"> Error: Negative bitmap width is not supported."}},
    {"negative width of a bad multiple", BmpFile({.width = -40}), kIndexes, {kBadWidth}},
    {"a 4-bit picture", BmpFile({.bits = 4, .clrUsed = 16, .paletteEntries = 16, .pixels = std::string(1008, 0)}),
     kIndexes, {Scanning(1008), "> Error. Source bitmap has only 16 colors.", "> Please use 256color pics only.",
                kNoData, ""}},
    {"biClrUsed 300 before compression", BmpFile({.compression = 1, .clrUsed = 300, .paletteEntries = 0}),
     kIndexes, {kBadPalette}},
    {"biClrUsed -1", BmpFile({.clrUsed = -1, .paletteEntries = 0}), kIndexes, {kBadPalette}},
    {"biClrUsed 257", BmpFile({.clrUsed = 257}), kIndexes, {kBadPalette}},
    {"biSizeImage -5 shown as it is", BmpFile({.sizeImage = -5}), kIndexes, {Scanning(-5), "48 x 42"}},
    {"more than 2147483647 pixels", BmpFile({.width = 48000, .height = 46998, .pixels = std::string(64, 0)}),
     kIndexes, {kTooLarge}},
    {"too large before the depth", BmpFile({.width = 24000, .height = 21000, .bits = 4, .pixels = ""}),
     kIndexes, {kTooLarge}},
    {"height -2147483646 in a tiny file", BmpFile({.width = 24, .height = -2147483646, .pixels = ""}), kIndexes,
     {kTooLarge}},
    // Exactly 16777216 missing pixels are read as 0, one more is refused: in 440 bytes of 8 bits, and in 18
    // rows and 8 pixels of 1 and 4 bits.
    {"8 bits, 440 pixel bytes", Tall(8, 440), kIndexes, {Scanning(440), "24 x 699069"}},
    {"8 bits, 439 pixel bytes", Tall(8, 439), kIndexes, {kTooLarge}},
    {"1 bit, 73 pixel bytes", Tall(1, 73), kColors, {Scanning(73), kBlackRead, "24 x 699069"}},
    {"1 bit, 72 pixel bytes", Tall(1, 72), kColors, {kTooLarge}},
    {"4 bits, 220 pixel bytes", Tall(4, 220), kColors, {Scanning(220), kBlackRead, "24 x 699069"}},
    {"4 bits, 219 pixel bytes", Tall(4, 219), kColors, {kTooLarge}},
    {"34 bytes for 66 million pixels of 1 bit", CutHeader(), kColors, {kTooLarge}},
    {"width 0 with the largest height", BmpFile({.width = 0, .height = 2147483646, .pixels = ""}), kIndexes,
     {Scanning(0), "0 x 2147483646"}},
    {"-colors, 16 bits", BmpFile({.bits = 16}), kColors,
     NoData("> Error: Bitmap of 16 bits per pixel is not supported; use 1, 4, 8, 24 or 32.")},
    {"-colors, RLE8", BmpFile({.compression = 1}), kColors,
     NoData(kCompressedBy + "1) is not supported; save it uncompressed.")},
    {"-colors, 24-bit bit fields", BmpFile({.bits = 24, .compression = 3}), kColors,
     NoData(kCompressedBy + "3) is not supported; save it uncompressed.")},
    {"-colors, other masks", BmpFile({.bits = 32, .compression = 3, .masks = std::string(12, '\1')}), kColors,
     NoData("> Error: Bitmap color masks are not supported; use 8 bits each of red, green and blue.")},
    {"-colors, a 12-byte info header", BmpFile({.infoSize = 12}), kColors,
     NoData(kInfoHeaderOf + "12 bytes is not supported; use one of 40 to 124 bytes.")},
    {"-colors, a 125-byte info header", BmpFile({.infoSize = 125}), kColors,
     NoData(kInfoHeaderOf + "125 bytes is not supported; use one of 40 to 124 bytes.")},
    {"-colors, a palette of 257 entries", BmpFile({.bits = 24, .clrUsed = 257}), kColors, {kBadPalette}},
};

TEST(SheetReader, BmpHeaders)
{
    for (const SheetCase& sheet : kBmpCases) {
        EXPECT_EQ(Read(sheet.file, sheet.options), sheet.lines) << sheet.name;
    }
}

std::string BigEndian(std::uint32_t value)
{
    std::string text = LittleEndian(value, 4);
    return {text.rbegin(), text.rend()};
}

std::string Compressed(const std::string& bytes, int level = Z_DEFAULT_COMPRESSION)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uLong>(bytes.size()), level);
    packed.resize(size);
    return packed;
}

std::string Chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const uLong sum = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BigEndian(static_cast<std::uint32_t>(data.size())) + body + BigEndian(static_cast<std::uint32_t>(sum));
}

// A PNG file: a palette sheet of 48 x 42 pixels of 2 bits, all index 0,
// unless a case sets a field; idat replaces the compressed rows.
struct Png {
    std::uint32_t width = 48;
    std::uint32_t height = 42;
    std::uint8_t depth = 2;
    std::uint8_t colorType = 3;
    std::uint32_t paletteEntries = 4; // 0: no PLTE chunk
    std::optional<std::string> idat;
    std::string extra; // chunks before IDAT
};

std::string PngFile(const Png& png)
{
    const std::uint32_t channels = png.colorType == 2 ? 3 : png.colorType == 6 ? 4 : 1;
    const std::size_t rowBytes = 1 + (png.width * png.depth * channels + 7) / 8;
    const std::string ihdr = BigEndian(png.width) + BigEndian(png.height) + std::string{char(png.depth),
                             char(png.colorType), 0, 0, 0};
    const std::string plte(3 * std::size_t{png.paletteEntries}, '\0');
    const std::string idat = png.idat ? *png.idat : Compressed(std::string(rowBytes * png.height, '\0'));
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + (plte.empty() ? "" : Chunk("PLTE", plte)) + png.extra +
           Chunk("IDAT", idat) + Chunk("IEND", "");
}

// The refusal of a damaged PNG, after the lines first.
std::vector<Text> Damaged(const Text& why, const std::vector<Text>& first = {})
{
    std::vector<Text> lines = first;
    lines.insert(lines.end(), {"> Error: PNG file is damaged: " + why + ".", kNoData, ""});
    return lines;
}

TEST(SheetReader, PngHeaders)
{
    const std::string good = PngFile({});
    const std::string rows = std::string(504 + 42, '\0');
    const std::string broken = Compressed(rows).substr(0, Compressed(rows).size() - 1) + "?";
    const std::string bigText = Chunk("zTXt", std::string("Comment\0\0", 9) + Compressed(std::string(17 << 20, 0), 9));
    const SheetCase cases[] = {
        {"signature copied as text", std::string(good).replace(4, 2, "\n"), kIndexes,
         Damaged("its signature is wrong (was it copied as text?)")},
        {"header of a size its checksum denies", std::string(good).replace(16, 8, BigEndian(24000) + BigEndian(21000)),
         kIndexes, Damaged("the checksum (CRC) of a chunk is wrong")},
        {"cut short", good.substr(0, good.size() - 20), kIndexes, Damaged("it ends too early")},
        {"without IEND", good.substr(0, good.size() - 12), kIndexes, Damaged("it ends too early", {Scanning(504)})},
        {"broken compressed data", PngFile({.idat = "x\x9c" + std::string(40, '\0')}), kIndexes,
         Damaged("its compressed picture data is broken")},
        {"compressed data of a wrong checksum", PngFile({.idat = broken}), kIndexes,
         Damaged("its compressed picture data is broken", {Scanning(504)})},
        {"bit depth 3", PngFile({.depth = 3}), kIndexes, Damaged("invalid bit depth")},
        {"palette missing", PngFile({.paletteEntries = 0}), kIndexes, Damaged("its palette (PLTE) is missing")},
        {"of RGB pixels without -colors", PngFile({.depth = 16, .colorType = 2, .paletteEntries = 0}), kIndexes,
         NoData("> Error: PNG of 16-bit RGB pixels (color type 2) has no palette indexes; use -colors to read its "
                "colors.")},
        {"with a text of 17 MB in 17 KB", PngFile({.extra = bigText}), kIndexes,
         Damaged("its chunks besides the picture hold more than 16777216 bytes")},
        {"width 40", PngFile({.width = 40, .height = 21}), kIndexes, {kBadWidth}},
        {"24000 x 21000 pixels in 137 bytes", PngFile({.width = 24000, .height = 21000, .idat = Compressed(rows)}),
         kIndexes, {kTooLarge}},
        {"2147483624 x 21 pixels in 137 bytes", PngFile({.width = 2147483624, .height = 21, .idat = Compressed(rows)}),
         kIndexes, {kTooLarge}},
    };
    for (const SheetCase& sheet : cases) {
        EXPECT_EQ(Read(sheet.file, sheet.options, "a.png"), sheet.lines) << sheet.name;
    }
}

} // namespace
