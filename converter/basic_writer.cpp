#include "basic_writer.hpp"

#include <optional>
#include <vector>

namespace {

constexpr std::int64_t kProgramStart = 2049; // $0801, where BASIC programs load
constexpr std::int64_t kVariableBytes = 4 * 7; // S, V, I and A
constexpr std::int64_t kBankEnd = 16384;     // the VIC's first bank, which holds the screen
constexpr std::int64_t kRecordBytes = 64;
constexpr std::int64_t kHardwareSprites = 8;
constexpr std::int64_t kValuesPerDataLine = 16;
constexpr std::int64_t kFirstDataLine = 1000;

// Program lines as typed, numbered as they are added.
struct Listing {
    std::vector<Text> lines;
    std::int64_t nextNumber = 10;
};

void AddLine(Listing& listing, const Text& statements)
{
    listing.lines.push_back(DecimalText(listing.nextNumber) + " " + statements);
    listing.nextNumber += 10;
}

// The bytes a line takes in memory: link and number (4), its text after the
// number (keywords counted as typed, more than their one-byte tokens) and the
// end mark; then the program's own end mark (2).
std::int64_t ProgramBytes(const Listing& listing)
{
    std::int64_t bytes = 2;
    for (const Text& line : listing.lines) {
        bytes += 4 + static_cast<std::int64_t>(line.size() - line.find(' ')) - 1 + 1;
    }
    return bytes;
}

// "POKE 2043,252:POKE V+6,24:POKE V+7,100:POKE V+42,2": hardware sprite
// number's pointer, position and, with -colors, colour.
Text ShowSprite(const OutputOptions& options, std::int64_t number, std::int64_t block, std::int64_t column,
                const Sprite& sprite)
{
    Text line = "POKE " + DecimalText(2040 + number) + "," + DecimalText(block) + ":POKE V+" + DecimalText(2 * number) +
                "," + DecimalText(24 + 32 * column) + ":POKE V+" + DecimalText(2 * number + 1) + ",100";
    if (options.realColors) {
        line += ":POKE V+" + DecimalText(39 + number) + "," + DecimalText(sprite.ownColor);
    }
    return line;
}

// The first cells whose sprites fit the eight hardware sprites, side by side;
// an overlay takes the lower number, which the VIC shows in front.
void AddShownSprites(const OutputOptions& options, const SpriteTable& table, std::int64_t firstBlock,
                     Listing& listing)
{
    std::vector<Text> shown;
    std::int64_t number = 0; // of the hardware sprites used, and of the sprites in the file before this cell
    std::int64_t column = 0;
    std::int64_t multicolorBits = 0;
    for (std::size_t n = 0; n < table.cells.size(); n += 1) {
        const SpriteCell& cell = FileCell(table, n);
        const std::int64_t used = cell.overlay ? 2 : 1;
        if (number + used > kHardwareSprites) {
            break;
        }
        if (cell.overlay) {
            shown.push_back(ShowSprite(options, number, firstBlock + number + 1, column, *cell.overlay));
        }
        const std::int64_t own = number + used - 1;
        shown.push_back(ShowSprite(options, own, firstBlock + number, column, cell.sprite));
        multicolorBits |= cell.sprite.multicolor ? std::int64_t{1} << own : 0;
        number += used;
        column += 1;
    }
    AddLine(listing, "POKE V+21," + DecimalText((std::int64_t{1} << number) - 1) + ":POKE V+28," +
                         DecimalText(multicolorBits) + ":POKE V+16,0:POKE V+23,0:POKE V+29,0");
    for (const Text& line : shown) {
        AddLine(listing, line);
    }
}

// Where the sprites go, the memory BASIC keeps for its strings below them, the
// copy loop and the screen's colours.
void AddSetUp(const OutputOptions& options, const SpriteTable& table, std::int64_t count, Listing& listing)
{
    const std::int64_t start = kBankEnd - kRecordBytes * count;
    AddLine(listing, "REM " + AsciiUpperCase(options.name) + " 0-" + DecimalText(count - 1) + " AT " +
                         DecimalText(start) + ", BLOCKS " + DecimalText(start / kRecordBytes) + "-255");
    AddLine(listing, "POKE 55," + DecimalText(start % 256) + ":POKE 56," + DecimalText(start / 256) +
                         ":CLR:S=" + DecimalText(start) + ":V=53248");
    AddLine(listing, "FOR I=0 TO " + DecimalText(kRecordBytes * count - 1) + ":READ A:POKE S+I,A:NEXT");
    Text screen = "PRINT CHR$(147)";
    if (options.realColors) {
        screen += ":POKE V+33," + DecimalText(table.colors.background);
    }
    if (options.realColors && !options.hiresSprites) {
        screen += ":POKE V+37," + DecimalText(table.colors.multicolor1) + ":POKE V+38," +
                  DecimalText(table.colors.multicolor2);
    }
    AddLine(listing, screen);
    AddShownSprites(options, table, start / kRecordBytes, listing);
}

// The bytes of -b, 16 to a DATA line.
void AddData(const OutputOptions& options, const SpriteTable& table, Listing& listing)
{
    listing.nextNumber = kFirstDataLine;
    Text line;
    std::int64_t values = 0;
    ForEachSprite(table, [&](const SpriteCell&, const Sprite& sprite, bool overlaid) {
        for (std::int64_t k = 0; k < kRecordBytes; k += 1) {
            const std::uint8_t value = k < kRecordBytes - 1 ? sprite.data[static_cast<std::size_t>(k)]
                                       : options.realColors ? AttributeByte(sprite, overlaid)
                                                            : 0;
            line += (values % kValuesPerDataLine == 0 ? "DATA " : ",") + DecimalText(value);
            values += 1;
            if (values % kValuesPerDataLine == 0) {
                AddLine(listing, line);
                line.clear();
            }
        }
    });
}

// The listing, or nothing when the program and its variables would reach the
// sprites it stores.
std::optional<Listing> ListingThatFits(const OutputOptions& options, const SpriteTable& table, std::int64_t count)
{
    // Each byte takes two characters of a DATA line at least.
    if (3 * kRecordBytes * count > kBankEnd - kProgramStart) {
        return std::nullopt;
    }
    Listing listing;
    AddSetUp(options, table, count, listing);
    AddData(options, table, listing);
    if (kProgramStart + ProgramBytes(listing) + kVariableBytes > kBankEnd - kRecordBytes * count) {
        return std::nullopt;
    }
    return listing;
}

} // namespace

Refused WriteBasicFile(const OutputOptions& options, const SpriteTable& table)
{
    const std::int64_t count = SpriteCount(table);
    if (count == 0) {
        return Refusal{{"> Error: The sheet has no sprites, so it has no BASIC listing."}};
    }
    const std::optional<Listing> listing = ListingThatFits(options, table, count);
    if (!listing) {
        return Refusal{{"> Error: " + DecimalText(count) + " sprites are too many for a BASIC listing: its program "
                        "would reach " + DecimalText(kBankEnd - kRecordBytes * count) + ", where they start."}};
    }
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::basicFile,
                       "> Error: No destination filename for BASIC output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    for (const Text& line : listing->lines) {
        WriteLine(file, line);
    }
    return FinishExport(file, options.basicFile, "> Exporting data to BASIC format ...");
}
