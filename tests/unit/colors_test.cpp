#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <string>

#include "converter/assignment.hpp"
#include "converter/c64_colors.hpp"
#include "converter/color_choice.hpp"
#include "tests/unit/test_support.hpp"

namespace {

std::int64_t CostOf(const CostMatrix& costs, const std::vector<std::size_t>& columns)
{
    std::int64_t cost = 0;
    for (std::size_t row = 0; row < costs.size(); row += 1) {
        cost += costs[row].at(columns.at(row));
    }
    return cost;
}

} // namespace

TEST(MinimumCostAssignment, CostsNoMoreThanAnyPermutation)
{
    std::mt19937 random(7);
    for (std::size_t n = 1; n <= 6; n += 1) {
        for (int trial = 0; trial < 30; trial += 1) {
            CostMatrix costs(n, std::vector<std::int64_t>(n));
            for (auto& row : costs) {
                std::generate(row.begin(), row.end(), [&random] { return static_cast<std::int64_t>(random() % 50); });
            }
            const std::vector<std::size_t> columns = MinimumCostAssignment(costs);
            std::vector<std::size_t> permutation(n);
            std::iota(permutation.begin(), permutation.end(), std::size_t{0});
            EXPECT_TRUE(std::is_permutation(columns.begin(), columns.end(), permutation.begin()));
            std::int64_t least = std::numeric_limits<std::int64_t>::max();
            do {
                least = std::min(least, CostOf(costs, permutation));
            } while (std::next_permutation(permutation.begin(), permutation.end()));
            EXPECT_EQ(CostOf(costs, columns), least) << n << " " << trial;
        }
    }
}

TEST(NearestC64Color, PublishedValuesExactlyOthersByDistance)
{
    const std::pair<Rgb, std::uint8_t> cases[] = {
        {0x000000, 0}, {0xFFFFFF, 1}, {0x68372B, 2}, {0x70A4B2, 3}, {0x6F3D86, 4}, {0x588D43, 5}, {0x352879, 6},
        {0xB8C76F, 7}, {0x6F4F25, 8}, {0x433900, 9}, {0x9A6759, 10}, {0x444444, 11}, {0x6C6C6C, 12},
        {0x9AD284, 13}, {0x6C5EB5, 14}, {0x959595, 15}, // Pepto
        {0x813338, 2}, {0x2E2C9B, 6}, {0x9F9F9F, 15}, {0x101010, 0}, {0xE0A040, 8}, {0x0088FF, 14}, // others
        {0x010101, 0}, {0xFEFEFE, 1}, {0x000040, 0}, {0x4C4C4C, 11}, {0x888888, 12}, {0xCCCCCC, 15},
        {0xFF0000, 2}, {0x00FF00, 5}, {0x0000FF, 6}, {0xFFFF00, 7}, {0x60FF60, 13},
        {0x003030, 6}, // a dark teal just nearer to blue than to dark grey, by the weight of blue in chroma
    };
    for (const auto& [rgb, color] : cases) {
        EXPECT_EQ(NearestC64Color(rgb), color) << std::hex << rgb;
    }
    EXPECT_STREQ(C64ColorName(kTransparent), ""); // no colour
}

namespace {

constexpr std::uint8_t kNone = kNoOverlay;
const FixedColors kShared{0, {{11, 1}}};

struct ChoiceCase {
    const char* name;
    std::vector<std::string> cells;
    FixedColors fixed;
    bool overlay;
    SharedColors colors;
    std::vector<std::uint8_t> overlays;
    std::vector<std::size_t> unfit;
    bool opaqueBackground = false; // of a transparent sheet, when no free colour converts every cell
};

const ChoiceCase kChoiceCases[] = {
    {"the most pixels, then the lower numbers", {"000000000000000000112233"}, {}, false, {0, 1, 2}, {kNone}, {}},
    {"ties to the lower numbers", {"339922553399225533992255"}, {}, false, {2, 3, 5}, {kNone}, {}},
    {"two colours: multicolour 2 the lowest number left", {"777777776666666677777777"}, {}, false, {7, 6, 0},
     {kNone}, {}},
    {"the multicolour of more cells first", {"001111111111116666666600", "002222666666666666666600"}, {}, false,
     {6, 0, 1}, {kNone, kNone}, {}},
    {"the most pixels need not be the background", {"222222222222222222222200", "0000bb116666000000000000"}, {},
     false, {0, 6, 1}, {kNone, kNone}, {}},
    {"the background has the most pixels, not the most cells", {"222222222222222222222200",
     "000000000000000000111111"}, {}, false, {2, 0, 1}, {kNone, kNone}, {}},
    {"the pair of the most cells, both counted", {"000000000000000011119999", "000000000000111155559999",
     "000000000000000000009999", "000000000000000000009999"}, {}, false, {0, 9, 1}, {kNone, kNone, kNone, kNone}, {}},
    {"the first that converts the most", {"000000000000000000112233", "000000000000112233445566"}, {}, false,
     {0, 1, 2}, {kNone, kNone}, {1}},
    {"a fixed multicolour is no background", {"111111111111111100bb0000"}, {std::nullopt, {{11, 1}}}, false,
     {0, 11, 1}, {kNone}, {}},
    {"a later choice that needs no overlay pair", {"000000000000111122220000", "000000000000111122220000",
     "000000000000333344440000"}, {}, true, {0, 1, 3}, {kNone, kNone, kNone}, {}},
    {"overlays of fewest pixels, then the lower number", {"000000002e2e2e2e00000000", "000000002e2e2e2e22220000"},
     kShared, true, {0, 11, 1}, {2, 14}, {}},
    {"no overlay where a transparent pixel pairs with the background, kNone of the background",
     {"t0t0t0t0t0t0t0t0t0t0t0t0", "101010101010101010101010"}, kShared, true, {0, 11, 1}, {kNone, 1}, {}},
    {"an overlay for a cell of two colours of its own", {"00000000000000bb11112233"}, kShared, true, {0, 11, 1},
     {2}, {}},
    {"a black overlay on blue", {"606060606060666666666666"}, {6, {{11, 1}}}, true, {6, 11, 1}, {0}, {}},
    // Dark grey (most pixels) loses cell 0's pairs of 12 and 6 beside it for one overlay pair fewer.
    {"the fewest lost pixels before the fewest overlay pairs", {"cbcbcbcbcb6b6b6b6b6bbbbb", "bbbbbbbbbbbbbbbb20202020"},
     {}, true, {6, 11, 12}, {11, 0}, {}}, // black and red tie in pixels: the lower number
    {"a transparent sheet: black where no pixel uses it", {"tttttttttttt111122223333"}, {}, false, {0, 1, 2},
     {kNone}, {}},
    {"a transparent sheet: else the lowest free number", {"tttttttt00001111bbbbbbbb"}, {}, false, {2, 11, 0},
     {kNone}, {}},
    // No free background converts it; black, first by pixels, loses the pairs of cyan beside transparent pixels.
    {"then the background that a transparent pixel beside loses nothing", {"00000000111122223t3t3t3t"}, {}, false,
     {3, 0, 1}, {kNone}, {}, true},
};

} // namespace

TEST(ChooseColors, FewestLostPixelsThenFewestOverlayPairsThenTheFirstInOrder)
{
    for (const ChoiceCase& test : kChoiceCases) {
        const ColorChoice choice =
            ChooseColors(ScanSheetColors(Band(test.cells), {false, test.overlay}), test.fixed, {false, test.overlay});
        const auto [background, first, second] = choice.colors;
        EXPECT_EQ(std::vector<int>({background, first, second}),
                  std::vector<int>({test.colors.background, test.colors.multicolor1, test.colors.multicolor2}))
            << test.name;
        EXPECT_EQ(choice.overlays, test.overlays) << test.name;
        EXPECT_EQ(choice.unfit, test.unfit) << test.name;
        EXPECT_EQ(choice.opaqueBackground, test.opaqueBackground) << test.name;
    }
}

TEST(ChooseColors, AnOverlayOfOnePixel)
{
    SourceBitmap sheet = Band({"0000000000000000eeee0000"});
    sheet.pixels[0] = 2; // a second colour of its own, in one pixel beside the background
    const ColorChoice choice = ChooseColors(ScanSheetColors(sheet, {false, true}), kShared, {false, true});
    EXPECT_EQ(choice.overlays, std::vector<std::uint8_t>{2});
}
