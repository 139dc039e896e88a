#include "c64_colors.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "assignment.hpp"

namespace {

constexpr std::size_t kColors = kC64ColorCount;

constexpr const char* kColorNames[kColors] = {"black", "white", "red", "cyan", "purple", "green", "blue", "yellow",
    "orange", "brown", "light red", "dark grey", "grey", "light green", "light blue", "light grey"};

// Emulators' and artists' palettes in C64 colour order: the references for single values and for whole tables.
// No value appears in two of them as different colours, so each maps exactly to its own colour.
constexpr std::size_t kPaletteCount = 15;
constexpr std::array<std::array<Rgb, kColors>, kPaletteCount> kPalettes = {{
    {0x000000, 0xFFFFFF, 0x68372B, 0x70A4B2, 0x6F3D86, 0x588D43, 0x352879, 0xB8C76F, // Pepto
        0x6F4F25, 0x433900, 0x9A6759, 0x444444, 0x6C6C6C, 0x9AD284, 0x6C5EB5, 0x959595},
    {0x000000, 0xFFFFFF, 0x813338, 0x75CEC8, 0x8E3C97, 0x56AC4D, 0x2E2C9B, 0xEDF171, // Colodore
        0x8E5029, 0x553800, 0xC46C71, 0x4A4A4A, 0x7B7B7B, 0xA9FF9F, 0x706DEB, 0xB2B2B2},
    {0x000000, 0xFFFFFF, 0x883932, 0x67B6BD, 0x8B3F96, 0x55A049, 0x40318D, 0xBFCE72, // VICE PAL
        0x8B5429, 0x574200, 0xB86962, 0x505050, 0x787878, 0x94E089, 0x7868C0, 0x9F9F9F},
    {0x101010, 0xFFFFFF, 0xE04040, 0x60FFFF, 0xE060E0, 0x40E040, 0x4040E0, 0xFFFF40, // CCS64
        0xE0A040, 0x9C7448, 0xFFA0A0, 0x545454, 0x888888, 0xA0FFA0, 0xA0A0FF, 0xC0C0C0},
    {0x000000, 0xFFFFFF, 0xCC0000, 0x00FFCC, 0xFF00FF, 0x00CC00, 0x0000CC, 0xFFFF00, // Frodo
        0xFF8800, 0x884400, 0xFF8888, 0x444444, 0x888888, 0x88FF88, 0x8888FF, 0xCCCCCC},
    {0x000000, 0xFCFCFC, 0xA80000, 0x54FCFC, 0xA800A8, 0x00A800, 0x0000A8, 0xFCFC00, // C64S
        0xA85400, 0x802C00, 0xFC5454, 0x545454, 0x808080, 0x54FC54, 0x5454FC, 0xA8A8A8},
    {0x000000, 0xFDFEFC, 0xBE1A24, 0x30E6C6, 0xB41AE2, 0x1FD21E, 0x211BAE, 0xDFF60A, // VICE, older default
        0xB84104, 0x6A3304, 0xFE4A57, 0x424540, 0x70746F, 0x59FE59, 0x5F53FE, 0xA4A7A2},
    {0x0A0A0A, 0xFFF8FF, 0x851F02, 0x65CDA8, 0xA73B9F, 0x4DAB19, 0x1A0C92, 0xEBE353, // C64HQ
        0xA94B02, 0x441E00, 0xD28074, 0x464646, 0x8B8B8B, 0x8EF68E, 0x4D91D1, 0xBABABA},
    {0x000000, 0xFFFFFF, 0x880000, 0xAAFFEE, 0xCC44CC, 0x00CC55, 0x0000AA, 0xEEEE77, // GoDot, C64 wiki
        0xDD8855, 0x664400, 0xFF7777, 0x333333, 0x777777, 0xAAFF66, 0x0088FF, 0xBBBBBB},
    {0x000000, 0xFFFFFF, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x00FF00, 0x0000FF, 0xFFFF00, // VICE RGB
        0xFF8000, 0x804000, 0xFF8080, 0x404040, 0x808080, 0x80FF80, 0x8080FF, 0xC0C0C0},
    {0x000000, 0xFFFFFF, 0xAF2A29, 0x62D8CC, 0xB03FB6, 0x4AC64A, 0x3739C4, 0xE4ED4E, // Community Colors
        0xB6591C, 0x683808, 0xEA746C, 0x4D4D4D, 0x848484, 0xA6FA9E, 0x707CE6, 0xB6B6B5},
    {0x000000, 0xFFFFFF, 0x68372B, 0x83F0DC, 0x6F3D86, 0x59CD36, 0x4137CD, 0xB8C76F, // Pantaloon
        0xD17F30, 0x755100, 0x9A6759, 0x5B5B5B, 0x8E8E8E, 0x9DFF9D, 0x75A1EC, 0xC1C1C1},
    {0x000000, 0xFFFFFF, 0x8C3E34, 0x7ABFC7, 0x8D47B3, 0x68A941, 0x3E31A2, 0xD0DC71, // ptoing
        0x905F25, 0x5C4700, 0xBB776D, 0x545454, 0x808080, 0xACEA88, 0x7C70DA, 0xABABAB},
    {0x000000, 0xFFFFFF, 0x882000, 0x68D0A8, 0xA838A0, 0x50B818, 0x181090, 0xF0E858, // Deekay
        0xA04800, 0x472B1B, 0xC87870, 0x484848, 0x808080, 0x98FF98, 0x5090D0, 0xB8B8B8},
    {0x000000, 0xFFFFFF, 0x7C352B, 0x5AA6B1, 0x694185, 0x5D8643, 0x212E78, 0xCFBE6F, // Pepto NTSC (Sony)
        0x894A26, 0x5B3300, 0xAF6459, 0x434343, 0x6B6B6B, 0xA0CB84, 0x5665B3, 0x959595},
}};

// Luma and the colour differences u and v by BT.601, scaled by 256. They stay whole numbers, so equal values are at
// distance 0 in every build; the u and v rows sum to 0, so greys have none.
struct Shade {
    double luma;
    double u;
    double v;
};

Shade ShadeOf(Rgb rgb)
{
    const double r = rgb >> 16 & 0xFF;
    const double g = rgb >> 8 & 0xFF;
    const double b = rgb & 0xFF;
    return {77 * r + 150 * g + 29 * b, -38 * r - 74 * g + 112 * b, 157 * r - 131 * g - 26 * b};
}

double Square(double value)
{
    return value * value;
}

double SquaredDistance(const Shade& a, const Shade& b)
{
    return Square(a.luma - b.luma) + Square(a.u - b.u) + Square(a.v - b.v);
}

struct Reference {
    Shade shade;
    std::uint8_t color;
};

// Every published value with its colour, by rising luma for the nearest-colour search.
std::vector<Reference> SortedReferences()
{
    std::vector<Reference> references;
    for (const auto& palette : kPalettes) {
        for (std::uint8_t color = 0; color < kColors; color += 1) {
            references.push_back({ShadeOf(palette[color]), color});
        }
    }
    std::stable_sort(references.begin(), references.end(),
        [](const Reference& a, const Reference& b) { return a.shade.luma < b.shade.luma; });
    return references;
}

// Takes the reference when it is nearer than the nearest so far.
void Consider(const Reference& reference, const Shade& shade, double& nearestDistance, std::uint8_t& nearest)
{
    const double distance = SquaredDistance(shade, reference.shade);
    if (distance < nearestDistance) {
        nearestDistance = distance;
        nearest = reference.color;
    }
}

// ---- Whole tables. The input's 16 colours are assigned one-to-one to each reference palette in turn, after the
// reference is stretched to the input's luma range and mean chroma; the reference with the lowest total cost gives
// the colours.

using Shades = std::array<Shade, kColors>;
using Costs = std::array<std::array<std::int64_t, kColors>, kColors>; // [input colour][reference colour]
using Assignment = std::array<std::size_t, kColors>;                  // reference colour of each input colour

// A reference in the input's terms: luma x gain + offset (brightness, contrast) and chroma x scale (saturation).
struct Fit {
    double gain;
    double offset;
    double chroma;
};

// The input's luma range and mean chroma: costs are measured as if they were 255 and kMeanChroma.
struct Spread {
    double lowLuma;
    double lumaRange;
    double meanChroma;
};

struct Match {
    Assignment assignment;
    std::int64_t cost; // in 1/kCostUnit: whole numbers, so that every build assigns alike
};

constexpr double kMeanChroma = 40;
constexpr double kCostUnit = 16;
// When 16 colours form a C64 palette: the cheapest reference costs at most kC64PaletteCostLimit (about 33 a
// colour, luma range 255; bench/palette_margin.py measures the C64 palettes against it), and the colours taken as
// black, white and the three greys have at most kGreyChroma of the mean chroma. C64 palettes have greys of at most
// 0.12; other 16-colour sets have four greys at most, so a grey goes to a colour: VGA 1.01, CGA/EGA 1.51 (though
// it costs only 242: C64S is a near copy of it), PICO-8 0.26, random colours 0.49 and up. The cost limit leans to
// accepting, since refusing a C64 palette swaps its greys, while an odd palette taken still gets one colour each;
// black, white, 3 greys and 11 random colours pass 6 times in 100.
constexpr std::int64_t kMaxCost = kC64PaletteCostLimit * 16;
constexpr double kGreyChroma = 0.2;

Spread SpreadOf(const Shades& shades)
{
    double low = shades[0].luma;
    double high = low;
    double chroma = 0.0;
    for (const Shade& shade : shades) {
        low = std::min(low, shade.luma);
        high = std::max(high, shade.luma);
        chroma += std::hypot(shade.u, shade.v) / kColors;
    }
    return {low, high - low, chroma};
}

Costs CostsOf(const Shades& input, const Spread& spread, const Shades& reference, const Fit& fit)
{
    const double lumaScale = 255 / spread.lumaRange;
    const double chromaScale = kMeanChroma / spread.meanChroma;
    Costs costs{};
    for (std::size_t i = 0; i < kColors; i += 1) {
        for (std::size_t j = 0; j < kColors; j += 1) {
            const double luma = (input[i].luma - fit.gain * reference[j].luma - fit.offset) * lumaScale;
            const double u = input[i].u - fit.chroma * reference[j].u;
            const double v = input[i].v - fit.chroma * reference[j].v;
            const double chroma = std::hypot(u, v) * chromaScale;
            costs[i][j] = std::llround(std::sqrt(luma * luma + chroma * chroma) * kCostUnit);
        }
    }
    return costs;
}

// The minimum-cost one-to-one assignment and its cost.
Match Assign(const Costs& costs)
{
    CostMatrix matrix;
    for (const auto& row : costs) {
        matrix.emplace_back(row.begin(), row.end());
    }
    const std::vector<std::size_t> columns = MinimumCostAssignment(matrix);
    Match match{};
    for (std::size_t row = 0; row < kColors; row += 1) {
        match.assignment[row] = columns[row];
        match.cost += costs[row][columns[row]];
    }
    return match;
}

// The assignment to a reference stretched to the input's luma range and mean chroma.
Match MatchReference(const Shades& input, const Spread& spread, const Shades& reference)
{
    const Spread own = SpreadOf(reference);
    const double gain = spread.lumaRange / own.lumaRange;
    const Fit fit{gain, spread.lowLuma - gain * own.lowLuma, spread.meanChroma / own.meanChroma};
    return Assign(CostsOf(input, spread, reference, fit));
}

// The best match to the references, but the one numbered leftOut.
Match BestMatch(const Shades& input, const Spread& spread, std::size_t leftOut)
{
    Match best{{}, std::numeric_limits<std::int64_t>::max()};
    for (std::size_t number = 0; number < kPaletteCount; number += 1) {
        Shades reference;
        std::transform(kPalettes[number].begin(), kPalettes[number].end(), reference.begin(), ShadeOf);
        const Match match = number == leftOut ? best : MatchReference(input, spread, reference);
        best = match.cost < best.cost ? match : best;
    }
    return best;
}

bool FormsC64Palette(const Shades& input, const Spread& spread, const Match& match)
{
    bool greysAreGrey = true;
    std::size_t i = 0;
    for (const Shade& shade : input) {
        const std::size_t color = match.assignment[i++];
        const bool grey = color == 0 || color == 1 || color == 11 || color == 12 || color == 15;
        greysAreGrey = greysAreGrey && !(grey && std::hypot(shade.u, shade.v) > kGreyChroma * spread.meanChroma);
    }
    return match.cost <= kMaxCost && greysAreGrey;
}

// The entries' distinct colours in order of first use; false unless there are 16. Black is left out when it is a
// 17th colour: tables of palettes without a pure black are often padded with it.
bool FindSixteenColors(const std::vector<Rgb>& entries, std::vector<Rgb>& distinct)
{
    for (Rgb entry : entries) {
        if (std::find(distinct.begin(), distinct.end(), entry) == distinct.end()) {
            distinct.push_back(entry);
        }
        if (distinct.size() > kColors + 1) {
            return false;
        }
    }
    if (distinct.size() == kColors + 1) {
        distinct.erase(std::remove(distinct.begin(), distinct.end(), Rgb{0}), distinct.end());
    }
    return distinct.size() == kColors;
}

} // namespace

const char* C64ColorName(std::uint8_t color)
{
    return color < kColors ? kColorNames[color] : "";
}

std::uint8_t NearestC64Color(Rgb rgb)
{
    static const std::vector<Reference> references = SortedReferences();
    // Walks out both ways from the value's luma until the luma gap alone passes the nearest distance.
    const Shade shade = ShadeOf(rgb);
    const auto start = std::lower_bound(references.begin(), references.end(), shade.luma,
        [](const Reference& reference, double luma) { return reference.shade.luma < luma; });
    double nearestDistance = std::numeric_limits<double>::max();
    std::uint8_t nearest = 0;
    for (auto above = start; above != references.end() && Square(above->shade.luma - shade.luma) < nearestDistance;
         ++above) {
        Consider(*above, shade, nearestDistance, nearest);
    }
    for (auto below = start;
         below != references.begin() && Square(below[-1].shade.luma - shade.luma) < nearestDistance; --below) {
        Consider(below[-1], shade, nearestDistance, nearest);
    }
    return nearest;
}

std::optional<EntryColors> MatchC64Palette(const std::vector<Rgb>& entries)
{
    std::vector<Rgb> distinct;
    Shades input;
    if (!FindSixteenColors(entries, distinct)) {
        return std::nullopt;
    }
    std::transform(distinct.begin(), distinct.end(), input.begin(), ShadeOf);
    const Spread spread = SpreadOf(input);
    if (spread.lumaRange <= 0 || spread.meanChroma <= 0) {
        return std::nullopt; // all of one luma, or greys alone
    }
    const Match match = BestMatch(input, spread, kPaletteCount);
    if (!FormsC64Palette(input, spread, match)) {
        return std::nullopt;
    }
    EntryColors result{{}, std::array<Rgb, kColors>{}};
    for (std::size_t at = 0; at < kColors; at += 1) {
        (*result.values)[match.assignment[at]] = distinct[at];
    }
    for (Rgb entry : entries) {
        // A padding black outside the 16 takes its nearest colour, black.
        const auto found = std::find(distinct.begin(), distinct.end(), entry);
        const auto at = static_cast<std::size_t>(found - distinct.begin()); // not negative
        result.colors.push_back(found == distinct.end() ? NearestC64Color(entry)
                                                        : static_cast<std::uint8_t>(match.assignment[at])); // 0-15
    }
    return result;
}

std::span<const std::array<Rgb, kC64ColorCount>> C64ReferencePalettes()
{
    return kPalettes;
}

double C64PaletteCost(const std::vector<Rgb>& colors, std::size_t leftOut)
{
    Shades input;
    std::transform(colors.begin(), colors.begin() + kColors, input.begin(), ShadeOf);
    const Spread spread = SpreadOf(input);
    if (spread.lumaRange <= 0 || spread.meanChroma <= 0) {
        return std::numeric_limits<double>::infinity();
    }
    return static_cast<double>(BestMatch(input, spread, leftOut).cost) / kCostUnit; // a cost, as a number
}
