#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "runtime/text.hpp"

TEST(DecimalText, EdgesOfTheSignedRange)
{
    const struct {
        std::int64_t value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {-5, "-5"},
        {255, "255"},
        {1000, "1000"},
        {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
        {-1, "-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecimalText(c.value), c.expected) << c.value;
    }
}

TEST(HexText, EveryWidthClass)
{
    const struct {
        std::int64_t value;
        std::int64_t widthClass;
        const char* expected;
    } cases[] = {
        {255, 1, "FF"},
        {10, 1, "A"},
        {0, 1, "0"},
        {256, 1, "0"},
        {-1, 1, "FF"},
        {-1, 11, "FF"},
        {-1, 24, "FF"},
        {74565, 3, "2345"},
        {65535, 3, "FFFF"},
        {-1, 3, "FFFF"},
        {-1, 25, "FFFF"},
        {-1, 5, "FFFFFFFF"},
        {0x123456789, 5, "23456789"},
        {-1, 2, "FFFFFFFFFFFFFFFF"},
        {-1, 0, "FFFFFFFFFFFFFFFF"},
        {-1, 4, "FFFFFFFFFFFFFFFF"},
        {-1, 6, "FFFFFFFFFFFFFFFF"},
        {-1, 10, "FFFFFFFFFFFFFFFF"},
        {-1, 12, "FFFFFFFFFFFFFFFF"},
        {-1, 23, "FFFFFFFFFFFFFFFF"},
        {-1, 26, "FFFFFFFFFFFFFFFF"},
        {-1, -3, "FFFFFFFFFFFFFFFF"},
        {4096, 4, "1000"},
        {0, 0, "0"},
        {std::numeric_limits<std::int64_t>::min(), 0, "8000000000000000"},
        {0x0ABC, 3, "ABC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexText(c.value, c.widthClass), c.expected) << c.value << " class " << c.widthClass;
    }
}

TEST(Padding, CutsAndFills)
{
    const struct {
        bool left;
        const char* text;
        std::int64_t length;
        const char* fill;
        const char* expected;
    } cases[] = {
        {true, "A", 2, "0", "0A"},
        {true, "FF", 2, "0", "FF"},
        {true, "2345", 5, "0", "02345"},
        {true, "123456", 5, "0", "12345"},
        {true, "", 3, "0", "000"},
        {true, "abc", -1, "0", ""},
        {true, "abc", 0, "0", ""},
        {true, "7", 3, "", "  7"},
        {true, "7", 3, "xyz", "xx7"},
        {false, "\t// ", 69, "-", "\t// -----------------------------------------------------------------"},
        {false, "\t; ", 69, "-", "\t; ------------------------------------------------------------------"},
        {false, "abcdef", 3, "-", "abc"},
        {false, "ab", 4, "", "ab  "},
        {false, "ab", -7, "-", ""},
    };
    for (const auto& c : cases) {
        const Text result = c.left ? PadLeft(c.text, c.length, c.fill) : PadRight(c.text, c.length, c.fill);
        EXPECT_EQ(result, c.expected) << (c.left ? "left " : "right ") << c.text << " " << c.length;
    }
    EXPECT_EQ(PadLeft("7", 3), "  7");
    EXPECT_EQ(PadRight("\t// ", 69, "-").size(), 69U);
}

TEST(ReplaceAll, LeftToRightWithoutOverlap)
{
    const struct {
        const char* text;
        const char* find;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"001230", "0", ".", "..123."},
        {"aaa", "aa", "b", "ba"},
        {"aaaa", "aa", "b", "bb"},
        {"abc", "", "x", "abc"},
        {"ABC", "b", "x", "ABC"},
        {"a", "a", "aa", "aa"},
        {"aXa", "a", "aa", "aaXaa"},
        {"", "a", "b", ""},
        {"abab", "ab", "", ""},
        {"xabcabx", "abc", "-", "x-abx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
    }
}

TEST(LowerCase, LettersOnly)
{
    EXPECT_EQ(LowerCase("BMP"), "bmp");
    EXPECT_EQ(LowerCase("Bmp1.X"), "bmp1.x");
    EXPECT_EQ(LowerCase(""), "");
    EXPECT_EQ(LowerCase("AZaz09@[`{"), "azaz09@[`{");
}

TEST(ExtensionOf, LastComponentOnly)
{
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\pics\\Sprites.BMP", "BMP"},
        {"sheet.old.bmp", "bmp"},
        {"dir.v2\\sprites", ""},
        {"dir.v2/sprites", ""},
        {"sprites", ""},
        {"sprites.", ""},
        {".bmp", "bmp"},
        {"x.bmp\"", "bmp"},
        {"x.bm\"p", "bm"},
        {"", ""},
        {".", ""},
        {"a/.b", "b"},
        {"dir.bmp\\picture", ""},
        {"picture.bmp.txt", "txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.path), c.expected) << c.path;
    }
}

TEST(TextEquals, ExactBytes)
{
    Text neverSet;
    EXPECT_EQ(TextEquals("-hex", "-hex"), 1);
    EXPECT_EQ(TextEquals("-hex", "-HEX"), 0);
    EXPECT_EQ(TextEquals("-hex", "-hex "), 0);
    EXPECT_EQ(TextEquals("", neverSet), 1);
    EXPECT_EQ(TextEquals("-h", "-help"), 0);
}
