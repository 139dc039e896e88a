#include "color_choice.hpp"

#include <algorithm>
#include <bit>
#include <functional>
#include <map>
#include <tuple>

#include "c64_colors.hpp"
#include "cell_size.hpp"

namespace {

using Pair = std::array<std::uint8_t, 2>;

constexpr MachineWord kCellWidth = kSpriteWidth;
constexpr MachineWord kCellHeight = kSpriteHeight;
constexpr ColorSet kTransparentSet = ColorSet{1} << kTransparent;

ColorSet SetOf(std::uint8_t color)
{
    return ColorSet{1} << color;
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

// -overlay: the colours of a pair of a cell and whether they are alike.
void ScanPair(std::uint8_t left, std::uint8_t right, CellColors& cell)
{
    for (const std::uint8_t color : {left, right}) {
        if (color != kTransparent) {
            cell.pixels[color] += 1;
        }
    }
    if (left == right) {
        cell.uniform |= SetOf(left);
        return;
    }
    for (const auto& [color, partner] : {std::pair(left, right), std::pair(right, left)}) {
        if (color != kTransparent) {
            cell.partners[color] |= SetOf(partner);
        }
    }
}

// One row of a cell, whose first pixel is at x, y. Hires reads every column;
// multicolour the left pixel of each pair, and notes the pairs whose pixels
// differ. A transparent pixel is the background under every choice, so it is
// read as no colour.
void ScanCellRow(const std::uint8_t* pixels, MachineWord x, MachineWord y, const SpriteModes& modes,
                 SheetColors& sheet)
{
    const std::size_t number = static_cast<std::size_t>(y / kCellHeight * sheet.columns + x / kCellWidth); // an index
    CellColors& cell = sheet.cells[number];
    const bool hires = modes.hires;
    const MachineWord step = hires ? 1 : 2;
    for (MachineWord column = 0; column < kCellWidth; column += step) {
        const std::uint8_t left = pixels[column];
        if (left != kTransparent) {
            cell.read |= SetOf(left);
            sheet.pixels[left] += 1;
        }
    }
    ColorSet row = 0; // transparent pixels too
    for (MachineWord column = 0; column < kCellWidth; column += 1) {
        row |= SetOf(pixels[column]);
    }
    sheet.transparent = sheet.transparent || (row & kTransparentSet) != 0;
    sheet.opaque |= row & ~kTransparentSet;
    cell.all |= modes.mixed ? row & ~kTransparentSet : 0;
    for (MachineWord column = 0; column < kCellWidth && !hires; column += 2) {
        const std::uint8_t left = pixels[column];
        const std::uint8_t right = pixels[column + 1];
        if (left != right) {
            SplitPairs& split = sheet.splits[number];
            split.x = split.count == 0 ? x + column : split.x;
            split.y = split.count == 0 ? y : split.y;
            split.count += 1;
            split.transparent = split.transparent || left == kTransparent || right == kTransparent;
        }
        const bool besideTransparent = left != right && (left == kTransparent || right == kTransparent);
        if (left != right && (modes.overlay || modes.mixed || besideTransparent)) {
            cell.splitPairs += 1;
        }
        if (besideTransparent) {
            cell.besideTransparent[left == kTransparent ? right : left] += 1;
        }
        if (modes.overlay) {
            ScanPair(left, right, cell);
        }
    }
}

// Whether every split pair that does not hold the overlay colour is a
// transparent pixel beside one of the background, which shows alike.
bool SplitOnlyBy(const CellColors& cell, std::uint8_t background, ColorSet overlay)
{
    for (std::uint8_t color = 0; color < kTransparent; color += 1) {
        const ColorSet alike = color == background ? kTransparentSet : 0;
        if ((SetOf(color) & overlay) == 0 && (cell.partners[color] & ~overlay & ~alike) != 0) {
            return false;
        }
    }
    return true;
}

// Whether a hires overlay of this colour over a multicolour sprite shows every
// pixel of the cell exactly: the pairs it does not cover are alike, and those
// it covers half show their other pixel, all in at most one colour besides
// the shared ones.
bool OverlayShowsCell(const CellColors& cell, const SharedColors& colors, std::uint8_t overlay)
{
    const ColorSet covered = SetOf(overlay);
    const ColorSet beneath = (cell.uniform & ~covered) | cell.partners[overlay];
    return SplitOnlyBy(cell, colors.background, covered) &&
           std::popcount(beneath & ~SharedSet(colors, false) & ~kTransparentSet) <= 1;
}

// Of the colours whose overlay shows the cell exactly, the one of fewest
// pixels, then the lower number; never the background, which shows the screen.
std::uint8_t OverlayColor(const CellColors& cell, const SharedColors& colors)
{
    std::uint8_t best = kNoOverlay;
    for (std::uint8_t color = 0; color < kTransparent; color += 1) {
        const bool fewer = best == kNoOverlay || cell.pixels[color] < cell.pixels[best];
        if (cell.pixels[color] > 0 && color != colors.background && fewer && OverlayShowsCell(cell, colors, color)) {
            best = color;
        }
    }
    return best;
}

// How a cell converts under a choice, and the pixels it loses.
struct Verdict {
    bool converts;
    std::uint8_t overlay;
    std::int64_t lost;
    bool hires = false; // -mixed
};

// A cell converts when it uses at most one colour besides the shared ones at
// the columns read; each split pair loses its right pixel, but for a
// transparent pixel beside the background. With -overlay, one that is not
// also free of split pairs becomes an overlay pair where one shows it
// exactly, and loses nothing.
Verdict Judge(const CellColors& cell, const SharedColors& colors, const SpriteModes& modes)
{
    const bool fits = std::popcount(cell.read & ~SharedSet(colors, modes.hires)) <= 1;
    const std::int64_t lost = cell.splitPairs - cell.besideTransparent[colors.background];
    // -mixed: a cell that would lose pixels shows exactly as a hires sprite
    // when it has one colour besides the background.
    if (modes.mixed && lost > 0 && std::popcount(cell.all & ~SetOf(colors.background)) <= 1) {
        return {true, kNoOverlay, 0, true};
    }
    const bool overlay = modes.overlay;
    if (!overlay || (fits && SplitOnlyBy(cell, colors.background, 0))) {
        return {fits, kNoOverlay, lost};
    }
    const std::uint8_t color = OverlayColor(cell, colors);
    return {fits || color != kNoOverlay, color, color != kNoOverlay ? 0 : lost};
}

// Cells of the same colours convert alike: each kind is judged once. Kinds
// are ordered field by field (not by a defaulted <=>, which some standard
// libraries lack for std::array).
auto Fields(const CellColors& cell)
{
    return std::tie(cell.read, cell.uniform, cell.partners, cell.pixels, cell.splitPairs, cell.besideTransparent,
                    cell.all);
}

struct CellOrder {
    bool operator()(const CellColors& first, const CellColors& second) const
    {
        return std::less<>{}(Fields(first), Fields(second));
    }
};

using CellKinds = std::map<CellColors, std::int64_t, CellOrder>;

CellKinds KindsOf(const SheetColors& sheet)
{
    CellKinds kinds;
    for (const CellColors& cell : sheet.cells) {
        kinds[cell] += 1;
    }
    return kinds;
}

// How many cells a choice converts, the pixels they lose and how many of
// them are overlay pairs.
struct Tally {
    SharedColors colors;
    std::int64_t converts = -1;
    std::int64_t lost = 0;
    std::int64_t overlays = 0;
};

// Of two choices that convert every cell, whether the first loses fewer
// pixels, or as many with fewer overlay pairs.
bool Cheaper(const Tally& tally, const Tally& best)
{
    return tally.lost < best.lost || (tally.lost == best.lost && tally.overlays < best.overlays);
}

// Counts until the choice can no longer do better than the best so far:
// lost pixels and overlay pairs only grow.
Tally Count(const CellKinds& kinds, const SharedColors& colors, const Tally& best, const SpriteModes& modes)
{
    Tally tally{colors, 0, 0, 0};
    std::int64_t unjudged = 0; // cells not yet judged
    for (const auto& [cell, count] : kinds) {
        unjudged += count;
    }
    const std::int64_t cells = unjudged;
    for (const auto& [cell, count] : kinds) {
        if (tally.converts + unjudged < best.converts || (best.converts == cells && !Cheaper(tally, best))) {
            break;
        }
        const Verdict verdict = Judge(cell, colors, modes);
        tally.converts += verdict.converts ? count : 0;
        tally.lost += verdict.converts ? verdict.lost * count : 0;
        tally.overlays += verdict.overlay != kNoOverlay ? count : 0;
        unjudged -= count;
    }
    return tally;
}

// The colours in order of preference: the most pixels first for a
// background, the most cells first for a shared multicolour; then the lower number.
std::vector<std::uint8_t> Ranked(const SheetColors& sheet, bool byCells, ColorSet candidates)
{
    std::vector<std::uint8_t> colors;
    for (std::uint8_t color = 0; color < kC64ColorCount; color += 1) {
        if ((candidates & SetOf(color)) != 0) {
            colors.push_back(color);
        }
    }
    const auto rank = [&sheet, byCells](std::uint8_t color) {
        return std::pair(byCells ? sheet.users[color] : std::int64_t{}, sheet.pixels[color]);
    };
    std::stable_sort(colors.begin(), colors.end(),
                     [&rank](std::uint8_t a, std::uint8_t b) { return rank(a) > rank(b); });
    return colors;
}

// The pairs of shared multicolours to try with a background, in order of the
// cells that use them, the more used one as multicolour 1.
std::vector<Pair> PairsToTry(const SheetColors& sheet, const FixedColors& fixed, std::uint8_t background)
{
    if (fixed.multicolors) {
        return {*fixed.multicolors};
    }
    const std::vector<std::uint8_t> colors = Ranked(sheet, true, ~SetOf(background));
    std::vector<Pair> pairs;
    for (std::size_t first = 0; first < colors.size(); first += 1) {
        for (std::size_t second = first + 1; second < colors.size(); second += 1) {
            pairs.push_back({colors[first], colors[second]});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(), [&sheet](const Pair& a, const Pair& b) {
        return sheet.users[a[0]] + sheet.users[a[1]] > sheet.users[b[0]] + sheet.users[b[1]];
    });
    return pairs;
}

std::vector<std::uint8_t> BackgroundsToTry(const SheetColors& sheet, const FixedColors& fixed)
{
    if (fixed.background) {
        return {*fixed.background};
    }
    ColorSet candidates = 0xFFFF;
    if (fixed.multicolors) {
        candidates &= ~(SetOf((*fixed.multicolors)[0]) | SetOf((*fixed.multicolors)[1]));
    }
    return Ranked(sheet, false, candidates);
}

// Converts more cells, or as many (all of them) at a lower cost.
bool Better(const Tally& tally, const Tally& best, std::int64_t cells)
{
    return tally.converts > best.converts || (tally.converts == cells && Cheaper(tally, best));
}

// The pixels no choice of these backgrounds can keep: the split pairs but
// those beside transparent pixels that one of them may show alike; none
// where an overlay may show them, or (-mixed) a hires sprite of a cell of
// two colours at most.
std::int64_t LostUnderAnyChoice(const CellKinds& kinds, const std::vector<std::uint8_t>& backgrounds,
                                const SpriteModes& modes)
{
    std::int64_t lost = 0;
    for (const auto& [cell, count] : kinds) {
        std::int64_t alike = 0;
        for (const std::uint8_t background : backgrounds) {
            alike = std::max<std::int64_t>(alike, cell.besideTransparent[background]);
        }
        const bool shown = modes.overlay || (modes.mixed && std::popcount(cell.all) <= 2);
        lost += shown ? 0 : (cell.splitPairs - alike) * count;
    }
    return lost;
}

Tally BestTally(const CellKinds& kinds, const SheetColors& sheet, const FixedColors& fixed,
                const std::vector<std::uint8_t>& backgrounds, const SpriteModes& modes)
{
    const std::int64_t cells = std::ssize(sheet.cells);
    const std::int64_t unavoidable = LostUnderAnyChoice(kinds, backgrounds, modes);
    Tally best;
    for (const std::uint8_t background : backgrounds) {
        const std::vector<Pair> pairs =
            modes.hires ? std::vector<Pair>{{15, 1}} : PairsToTry(sheet, fixed, background);
        for (const Pair& pair : pairs) {
            const Tally tally = Count(kinds, {background, pair[0], pair[1]}, best, modes);
            best = Better(tally, best, cells) ? tally : best;
            if (best.converts == cells && best.lost == unavoidable && best.overlays == 0) {
                return best;
            }
        }
    }
    return best;
}

// The backgrounds that no pixel of the sheet uses, nor -mc, lowest first.
std::vector<std::uint8_t> FreeBackgrounds(const SheetColors& sheet, const FixedColors& fixed)
{
    std::vector<std::uint8_t> free;
    for (const std::uint8_t color : BackgroundsToTry(sheet, fixed)) {
        if ((sheet.opaque & SetOf(color)) == 0) {
            free.push_back(color);
        }
    }
    std::sort(free.begin(), free.end());
    return free;
}

} // namespace

Outcome<FixedColors> ReadFixedColors(const ColorOptions& options)
{
    if (options.overlay && options.hiresSprites) {
        return Refusal{{"> Error: -overlay needs multicolour sprites."}};
    }
    if (options.mixed && options.hiresSprites) {
        return Refusal{{"> Error: -mixed chooses hires or multicolour for each sprite, so it takes no -hires."}};
    }
    if (options.fixedMulticolors && options.hiresSprites) {
        return Refusal{{"> Error: -mc has no meaning for hires sprites."}};
    }
    FixedColors fixed;
    if (options.fixedBackground) {
        fixed.background = ColorNumber(*options.fixedBackground);
        if (!fixed.background) {
            return Refusal{{"> Error: -bg takes a C64 color number from 0 to 15, not: " + *options.fixedBackground}};
        }
    }
    if (!options.fixedMulticolors) {
        return fixed;
    }
    const Text& value = *options.fixedMulticolors;
    fixed.multicolors = ColorPair(value);
    if (!fixed.multicolors) {
        return Refusal{{"> Error: -mc takes two C64 color numbers from 0 to 15 as N,M, not: " + value}};
    }
    const Pair pair = *fixed.multicolors;
    if (pair[0] == pair[1]) {
        return Refusal{{"> Error: -mc takes two different colors, not: " + value}};
    }
    if (fixed.background && (pair[0] == *fixed.background || pair[1] == *fixed.background)) {
        return Refusal{{"> Error: -mc takes colors other than the background color of -bg, not: " + value}};
    }
    return fixed;
}

ColorSet SharedSet(const SharedColors& colors, bool hires)
{
    const ColorSet background = SetOf(colors.background);
    return hires ? background : background | SetOf(colors.multicolor1) | SetOf(colors.multicolor2);
}

SheetColors ScanSheetColors(const SourceBitmap& bitmap, const SpriteModes& modes)
{
    SheetColors sheet;
    sheet.columns = bitmap.width / kCellWidth;
    sheet.cells.resize(static_cast<std::size_t>(sheet.columns * (bitmap.height / kCellHeight))); // not negative
    sheet.splits.resize(modes.hires ? 0 : sheet.cells.size());
    // A picture without cells may still claim 2147483646 rows: none is scanned.
    for (MachineWord y = 0; y < bitmap.height && !sheet.cells.empty(); y += 1) {
        const std::uint8_t* row = bitmap.pixels.data() + y * bitmap.width;
        for (MachineWord x = 0; x < bitmap.width; x += kCellWidth) {
            ScanCellRow(row + x, x, y, modes, sheet);
        }
    }
    for (const CellColors& cell : sheet.cells) {
        for (std::uint8_t color = 0; color < kC64ColorCount; color += 1) {
            sheet.users[color] += (cell.read & SetOf(color)) != 0;
        }
    }
    return sheet;
}

ColorChoice ChooseColors(const SheetColors& sheet, const FixedColors& fixed, const SpriteModes& modes)
{
    const CellKinds kinds = KindsOf(sheet);
    const bool clear = sheet.transparent && !fixed.background;
    Tally best = clear ? BestTally(kinds, sheet, fixed, FreeBackgrounds(sheet, fixed), modes) : Tally{};
    if (best.converts < std::ssize(sheet.cells)) {
        best = BestTally(kinds, sheet, fixed, BackgroundsToTry(sheet, fixed), modes);
    }
    ColorChoice choice{best.colors, {}, {}, {}, clear && (sheet.opaque & SetOf(best.colors.background)) != 0};
    for (std::size_t number = 0; number < sheet.cells.size(); number += 1) {
        const Verdict verdict = Judge(sheet.cells[number], best.colors, modes);
        choice.overlays.push_back(verdict.overlay);
        if (modes.mixed) {
            choice.hiresCells.push_back(verdict.hires ? 1 : 0);
        }
        if (!verdict.converts) {
            choice.unfit.push_back(number);
        }
    }
    return choice;
}
