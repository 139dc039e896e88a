#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "runtime/text.hpp"

TEST(Text, EveryOperationAtItsEdges)
{
    constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();
    const Text ff16(16, 'F');
    const std::pair<Text, Text> cases[] = {
        {DecimalText(0), "0"}, {DecimalText(-5), "-5"}, {DecimalText(1000), "1000"},
        {DecimalText(kMost), "9223372036854775807"}, {DecimalText(kLeast), "-9223372036854775808"},
        {HexText(255, 1), "FF"}, {HexText(10, 1), "A"}, {HexText(256, 1), "0"}, {HexText(-1, 11), "FF"},
        {HexText(-1, 24), "FF"}, {HexText(74565, 3), "2345"}, {HexText(-1, 25), "FFFF"},
        {HexText(0x123456789, 5), "23456789"}, {HexText(-1, 0), ff16}, {HexText(-1, 2), ff16},
        {HexText(-1, 4), ff16}, {HexText(-1, 6), ff16}, {HexText(-1, 10), ff16}, {HexText(-1, 12), ff16},
        {HexText(-1, 23), ff16}, {HexText(-1, 26), ff16}, {HexText(-1, -3), ff16}, {HexText(0, 0), "0"},
        {HexText(kLeast, 0), "8000000000000000"}, {HexText(0x0ABC, 3), "ABC"},
        {PadLeft("A", 2, "0"), "0A"}, {PadLeft("FF", 2, "0"), "FF"}, {PadLeft("123456", 5, "0"), "12345"},
        {PadLeft("", 3, "0"), "000"}, {PadLeft("abc", -1, "0"), ""}, {PadLeft("abc", 0, "0"), ""},
        {PadLeft("7", 3), "  7"}, {PadLeft("7", 3, "xyz"), "xx7"}, {PadRight("\t; ", 69, "-"), "\t; " + Text(66, '-')},
        {PadRight("abcdef", 3, "-"), "abc"}, {PadRight("ab", 4, ""), "ab  "}, {PadRight("ab", -7, "-"), ""},
        {ReplaceAll("001230", "0", "."), "..123."}, {ReplaceAll("aaa", "aa", "b"), "ba"},
        {ReplaceAll("abc", "", "x"), "abc"}, {ReplaceAll("ABC", "b", "x"), "ABC"},
        {ReplaceAll("aXa", "a", "aa"), "aaXaa"},
        {ReplaceAll("", "a", "b"), ""}, {ReplaceAll("xabcabx", "abc", "-"), "x-abx"},
        {LowerCase("Bmp1.X"), "bmp1.x"}, {LowerCase("AZaz09@[`{"), "azaz09@[`{"},
        {AsciiUpperCase("AZaz09@[`{\xe4"), "AZAZ09@[`{\xe4"},
        {ExtensionOf("C:\\pics\\Sprites.BMP"), "BMP"}, {ExtensionOf("sheet.old.bmp"), "bmp"},
        {ExtensionOf("dir.v2\\sprites"), ""}, {ExtensionOf("dir.v2/sprites"), ""}, {ExtensionOf("sprites."), ""},
        {ExtensionOf(".bmp"), "bmp"}, {ExtensionOf("x.bm\"p"), "bm"}, {ExtensionOf(""), ""}, {ExtensionOf("a/.b"), "b"},
        {DecimalText(TextEquals("-hex", "-hex")), "1"}, {DecimalText(TextEquals("-hex", "-HEX")), "0"},
        {DecimalText(TextEquals("-hex", "-hex ")), "0"}, {DecimalText(TextEquals("", Text())), "1"},
    };
    for (std::size_t i = 0; i < std::size(cases); i += 1) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}
