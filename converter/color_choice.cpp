#include "color_choice.hpp"

#include <algorithm>
#include <bit>

#include "c64_colors.hpp"
#include "cell_size.hpp"
#include "runtime/console.hpp"

namespace {

using ColorSet = unsigned; // bit n for C64 colour n
using Pair = std::array<std::uint8_t, 2>;

constexpr MachineWord kCellWidth = kSpriteWidth;
constexpr MachineWord kCellHeight = kSpriteHeight;

// One cell at the columns that are read: every column of a hires sprite, the
// left one of each pair of a multicolour sprite. Zeroed when made.
struct CellScan {
    ColorSet colors;
    std::int64_t splitPairs; // multicolour: pairs whose right pixel has another colour
    MachineWord firstSplitX; // picture position of the first such pair
    MachineWord firstSplitY;
};

struct SheetScan {
    MachineWord columns = 0; // cells in a band
    std::vector<CellScan> cells;
    std::array<std::int64_t, kC64ColorCount> pixels{}; // read pixels of each colour
    std::array<std::int64_t, kC64ColorCount> users{};  // cells that use each colour
};

// A choice of shared colours and how many cells it converts.
struct Choice {
    SharedColors colors;
    std::int64_t fits = -1;
};

ColorSet SetOf(std::uint8_t color)
{
    return 1U << color;
}

// A decimal colour number 0-15 of one or two digits; none for anything else.
std::optional<std::uint8_t> ColorNumber(const Text& text)
{
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    int value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        value = 10 * value + (digit - '0');
    }
    if (value >= kC64ColorCount) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value); // 0-15
}

std::optional<Pair> ColorPair(const Text& text)
{
    const std::size_t comma = text.find(',');
    const std::optional<std::uint8_t> first = ColorNumber(text.substr(0, comma));
    const std::optional<std::uint8_t> second = comma == Text::npos ? std::nullopt : ColorNumber(text.substr(comma + 1));
    return first && second ? std::optional<Pair>(Pair{*first, *second}) : std::nullopt;
}

// One row of a cell, whose top-left pixel is at x, y; step 2 reads the left
// pixel of each pair. A transparent pixel is the background under every
// choice, so it counts for none.
void ScanCellRow(const std::uint8_t* pixels, MachineWord step, MachineWord x, MachineWord y, CellScan& cell,
                 SheetScan& scan)
{
    for (MachineWord column = 0; column < kCellWidth; column += step) {
        const std::uint8_t color = pixels[column];
        if (color != kTransparent) {
            cell.colors |= SetOf(color);
            scan.pixels[color] += 1;
        }
        if (step == 2 && pixels[column + 1] != color) {
            if (cell.splitPairs == 0) {
                cell.firstSplitX = x + column;
                cell.firstSplitY = y;
            }
            cell.splitPairs += 1;
        }
    }
}

SheetScan ScanSheet(const SourceBitmap& bitmap, bool hires)
{
    SheetScan scan;
    scan.columns = bitmap.width / kCellWidth;
    scan.cells.resize(static_cast<std::size_t>(scan.columns * (bitmap.height / kCellHeight))); // not negative
    // A picture without cells may still claim 2147483646 rows: none is scanned.
    for (MachineWord y = 0; y < bitmap.height && !scan.cells.empty(); y += 1) {
        const std::uint8_t* row = bitmap.pixels.data() + y * bitmap.width;
        CellScan* band = scan.cells.data() + y / kCellHeight * scan.columns;
        for (MachineWord cell = 0; cell < scan.columns; cell += 1) {
            ScanCellRow(row + cell * kCellWidth, hires ? 1 : 2, cell * kCellWidth, y, band[cell], scan);
        }
    }
    for (const CellScan& cell : scan.cells) {
        for (std::uint8_t color = 0; color < kC64ColorCount; color += 1) {
            scan.users[color] += (cell.colors & SetOf(color)) != 0;
        }
    }
    return scan;
}

Text PositionText(MachineWord x, MachineWord y)
{
    return "(X" + DecimalText(x) + ",Y" + DecimalText(y) + ")";
}

Text SpriteText(const SheetScan& scan, std::size_t number)
{
    const MachineWord cell = static_cast<MachineWord>(number); // a vector index
    return "Sprite " + DecimalText(cell) + " " +
           PositionText(cell % scan.columns * kCellWidth, cell / scan.columns * kCellHeight);
}

void WarnOfSplitPairs(const SheetScan& scan)
{
    for (std::size_t number = 0; number < scan.cells.size(); number += 1) {
        const CellScan& cell = scan.cells[number];
        if (cell.splitPairs > 0) {
            PrintLine("> Warning: " + SpriteText(scan, number) + " has pixel pairs of two colors: " +
                      DecimalText(cell.splitPairs) + ", the first at " +
                      PositionText(cell.firstSplitX, cell.firstSplitY) + "; each shows its left pixel");
        }
    }
}

// How many cells use at most one colour besides the shared ones.
std::int64_t CountFits(const SheetScan& scan, ColorSet shared)
{
    std::int64_t fits = 0;
    for (const CellScan& cell : scan.cells) {
        fits += std::popcount(cell.colors & ~shared) <= 1;
    }
    return fits;
}

// The colours in order of preference: the most pixels first for a
// background, the most cells first for a shared multicolour; then the lower number.
std::vector<std::uint8_t> Ranked(const SheetScan& scan, bool byCells, ColorSet left)
{
    std::vector<std::uint8_t> colors;
    for (std::uint8_t color = 0; color < kC64ColorCount; color += 1) {
        if ((left & SetOf(color)) != 0) {
            colors.push_back(color);
        }
    }
    const auto rank = [&scan, byCells](std::uint8_t color) {
        return std::pair(byCells ? scan.users[color] : std::int64_t{}, scan.pixels[color]);
    };
    std::stable_sort(colors.begin(), colors.end(),
                     [&rank](std::uint8_t a, std::uint8_t b) { return rank(a) > rank(b); });
    return colors;
}

// The pairs of shared multicolours to try with a background, in order of the
// cells that use them, the more used one as multicolour 1.
std::vector<Pair> PairsToTry(const SheetScan& scan, const FixedColors& fixed, std::uint8_t background)
{
    if (fixed.multicolors) {
        return {*fixed.multicolors};
    }
    const std::vector<std::uint8_t> colors = Ranked(scan, true, ~SetOf(background));
    std::vector<Pair> pairs;
    for (std::size_t first = 0; first < colors.size(); first += 1) {
        for (std::size_t second = first + 1; second < colors.size(); second += 1) {
            pairs.push_back({colors[first], colors[second]});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(), [&scan](const Pair& a, const Pair& b) {
        return scan.users[a[0]] + scan.users[a[1]] > scan.users[b[0]] + scan.users[b[1]];
    });
    return pairs;
}

std::vector<std::uint8_t> BackgroundsToTry(const SheetScan& scan, const FixedColors& fixed)
{
    if (fixed.background) {
        return {*fixed.background};
    }
    ColorSet left = 0xFFFF;
    if (fixed.multicolors) {
        left &= ~(SetOf((*fixed.multicolors)[0]) | SetOf((*fixed.multicolors)[1]));
    }
    return Ranked(scan, false, left);
}

// The first choice in order of preference that converts every cell, or else
// the first that converts the most.
Choice BestChoice(const SheetScan& scan, const FixedColors& fixed, bool hires)
{
    Choice best;
    for (const std::uint8_t background : BackgroundsToTry(scan, fixed)) {
        const std::vector<Pair> pairs = hires ? std::vector<Pair>{{15, 1}} : PairsToTry(scan, fixed, background);
        for (const Pair& pair : pairs) {
            const ColorSet shared = hires ? SetOf(background) : SetOf(background) | SetOf(pair[0]) | SetOf(pair[1]);
            const std::int64_t fits = CountFits(scan, shared);
            if (fits > best.fits) {
                best = {{background, pair[0], pair[1]}, fits};
            }
            if (fits == std::ssize(scan.cells)) {
                return best;
            }
        }
    }
    return best;
}

ColorSet SharedSet(const SharedColors& colors, bool hires)
{
    const ColorSet background = SetOf(colors.background);
    return hires ? background
                 : background | SetOf(colors.multicolor1) | SetOf(colors.multicolor2);
}

// The colours of the set in rising order, each with its name.
Text OwnColorsText(ColorSet own)
{
    Text text;
    for (; own != 0; own &= own - 1) {
        const auto color = static_cast<std::uint8_t>(std::countr_zero(own)); // 0-15
        text += (text.empty() ? "" : ", ") + ColorText(color);
    }
    return text;
}

[[noreturn]] void RefuseSheet(const RunOptions& options, const SheetScan& scan, const Choice& choice)
{
    PrintLine("> Error: No choice of shared colors converts all " + DecimalText(std::ssize(scan.cells)) +
              " sprites; this one converts " + DecimalText(choice.fits) + ":");
    PrintLine("> Colors: " + SharedColorsText(choice.colors, options.hiresSprites));
    const ColorSet shared = SharedSet(choice.colors, options.hiresSprites);
    for (std::size_t number = 0; number < scan.cells.size(); number += 1) {
        const ColorSet own = scan.cells[number].colors & ~shared;
        if (std::popcount(own) > 1) {
            PrintLine("> Error: " + SpriteText(scan, number) + " has " + DecimalText(std::popcount(own)) +
                      " colors of its own: " + OwnColorsText(own));
        }
    }
    FailRun(options, {"> Exit program... No data converted.", ""});
}

} // namespace

FixedColors ReadFixedColors(const RunOptions& options)
{
    FixedColors fixed;
    if (options.fixedMulticolors && options.hiresSprites) {
        FailRun(options, {"> Error: -mc has no meaning for hires sprites."});
    }
    if (options.fixedBackground) {
        fixed.background = ColorNumber(*options.fixedBackground);
        if (!fixed.background) {
            FailRun(options, {"> Error: -bg takes a C64 color number from 0 to 15, not: " + *options.fixedBackground});
        }
    }
    if (options.fixedMulticolors) {
        const Text& value = *options.fixedMulticolors;
        fixed.multicolors = ColorPair(value);
        if (!fixed.multicolors) {
            FailRun(options, {"> Error: -mc takes two C64 color numbers from 0 to 15 as N,M, not: " + value});
        }
        const Pair pair = *fixed.multicolors;
        if (pair[0] == pair[1]) {
            FailRun(options, {"> Error: -mc takes two different colors, not: " + value});
        }
        if (fixed.background && (pair[0] == *fixed.background || pair[1] == *fixed.background)) {
            FailRun(options, {"> Error: -mc takes colors other than the background color of -bg, not: " + value});
        }
    }
    return fixed;
}

SharedColors ChooseSharedColors(const RunOptions& options, const SourceBitmap& bitmap, const FixedColors& fixed)
{
    const SheetScan scan = ScanSheet(bitmap, options.hiresSprites);
    WarnOfSplitPairs(scan);
    const Choice choice = BestChoice(scan, fixed, options.hiresSprites);
    if (choice.fits < std::ssize(scan.cells)) {
        RefuseSheet(options, scan, choice);
    }
    PrintLine("> Colors: " + SharedColorsText(choice.colors, options.hiresSprites));
    return choice.colors;
}
