#include <algorithm>

#include <gtest/gtest.h>

#include "converter/bitmap_reader.hpp"
#include "converter/source_writer.hpp"
#include "converter/sprite_grid.hpp"

namespace {

PixelPlane PlaneOf(MachineWord width, MachineWord height, std::uint8_t value)
{
    PixelPlane plane;
    EXPECT_TRUE(MakePlane(plane, static_cast<std::int64_t>(width) * height));
    for (MachineWord p = 0; p < plane.count; p += 1) {
        plane.entries[static_cast<std::size_t>(p)] = value;
    }
    return plane;
}

} // namespace

TEST(SpriteGrid, NumbersCellsByBandThenColumn)
{
    const struct {
        MachineWord width;
        MachineWord height;
        MachineWord count;
    } sizes[] = {{0, 0, 0}, {0, 21, 0}, {24, 0, 0}, {24, 21, 1}, {48, 42, 4}, {72, 21, 3}, {24, 63, 3}, {96, 84, 16}};
    for (const auto& size : sizes) {
        SpriteTable table;
        BuildSpriteGrid(size.width, size.height, table);
        ASSERT_EQ(table.spriteCount, size.count) << size.width << "x" << size.height;
        ASSERT_EQ(static_cast<MachineWord>(table.cells.size()), size.count);
        for (MachineWord s = 0; s < table.spriteCount; s += 1) {
            const SpriteCell& cell = table.cells[static_cast<std::size_t>(s)];
            const MachineWord columns = size.width / 24;
            EXPECT_EQ(cell.x, 24 * (s % columns));
            EXPECT_EQ(cell.y, 21 * (s / columns));
            EXPECT_EQ(cell.firstPixel, cell.y * size.width + cell.x);
        }
    }
    SpriteTable table;
    BuildSpriteGrid(48, 42, table);
    EXPECT_EQ(table.cells[0].firstPixel, 0);
    EXPECT_EQ(table.cells[1].firstPixel, 24);
    EXPECT_EQ(table.cells[2].firstPixel, 1008);
    EXPECT_EQ(table.cells[3].firstPixel, 1032);
}

TEST(MulticolorEncoder, BitPairsOfTheEvenColumns)
{
    const struct {
        std::uint8_t pixels[24];
        std::uint8_t bytes[3];
        const char* preview;
    } rows[] = {
        {{3, 3, 2, 2, 1, 1, 0, 0, 3, 3, 2, 2, 1, 1, 0, 0, 3, 3, 2, 2, 1, 1, 0, 0}, {228, 228, 228}, "332211..332211..332211.."},
        {{1, 1, 2, 2, 3, 3, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0}, {108, 108, 108}, "112233..112233..112233.."},
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {85, 85, 85}, "111111111111111111111111"},
        {{2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {170, 170, 170}, "222222222222222222222222"},
        {{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, {255, 255, 255}, "333333333333333333333333"},
        {{0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3}, {0, 0, 0}, ".3.3.3.3.3.3.3.3.3.3.3.3"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}, "........................"},
        {{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {192, 0, 0}, "3......................1"},
        {{0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, 0, 0}, {2, 1, 192}, "......2.......1.3......."},
    };
    for (const auto& row : rows) {
        PixelPlane plane = PlaneOf(24, 21, 0);
        for (std::size_t r = 0; r < 21; r += 1) {
            for (std::size_t c = 0; c < 24; c += 1) {
                plane.entries[r * 24 + c] = row.pixels[c];
            }
        }
        SpriteTable table;
        BuildSpriteGrid(24, 21, table);
        FillCellPixels(table, plane, 24);
        EncodeMulticolor(table);
        const SpriteCell& cell = table.cells[0];
        for (std::size_t r = 0; r < 21; r += 1) {
            EXPECT_EQ(cell.data[3 * r], row.bytes[0]) << row.preview;
            EXPECT_EQ(cell.data[3 * r + 1], row.bytes[1]) << row.preview;
            EXPECT_EQ(cell.data[3 * r + 2], row.bytes[2]) << row.preview;
            EXPECT_EQ(PreviewText(cell, r), row.preview);
        }
        EXPECT_EQ(cell.data[63], 0);
    }
}

TEST(MulticolorEncoder, CellsReadTheirOwnPartOfThePlane)
{
    // 48 x 42: every pixel holds (sprite number + row + column) % 4.
    PixelPlane plane = PlaneOf(48, 42, 0);
    for (MachineWord y = 0; y < 42; y += 1) {
        for (MachineWord x = 0; x < 48; x += 1) {
            const MachineWord sprite = (y / 21) * 2 + x / 24;
            plane.entries[static_cast<std::size_t>(y * 48 + x)] = static_cast<std::uint8_t>((sprite + y % 21 + x % 24) % 4);
        }
    }
    SpriteTable table;
    BuildSpriteGrid(48, 42, table);
    FillCellPixels(table, plane, 48);
    for (std::size_t s = 0; s < 4; s += 1) {
        for (std::size_t r = 0; r < 21; r += 1) {
            for (std::size_t c = 0; c < 24; c += 1) {
                ASSERT_EQ(table.cells[s].pixels[24 * r + c], (s + r + c) % 4) << s << " " << r << " " << c;
            }
        }
    }
}

TEST(SourceLines, EverySyntaxForm)
{
    SpriteCell cell;
    cell.x = 24;
    cell.y = 21;
    cell.data[0] = 108;
    cell.data[1] = 0;
    cell.data[2] = 255;
    cell.data[3] = 10;
    const std::uint8_t firstRow[24] = {1, 1, 2, 2, 3, 3, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0};
    std::copy(std::begin(firstRow), std::end(firstRow), cell.pixels.begin());
    const struct {
        bool acme;
        bool hex;
        const char* header;
        const char* title;
        const char* data;
        const char* align;
    } forms[] = {
        {false, false, "\t// created using pixmold by -zarn / QTV | Mossgrove", "// SPRITE 3  - Offset: (24,21)",
         "\t.byte\t108, 0, 255\t\t// 112233..112233..112233..", "\t.byte\t0\t// align byte"},
        {false, true, "\t// created using pixmold by -zarn / QTV | Mossgrove", "// SPRITE 3  - Offset: (24,21)",
         "\t.byte\t$6C, $00, $FF\t\t// 112233..112233..112233..", "\t.byte\t0\t// align byte"},
        {true, false, "\t; created using pixmold by -zarn / QTV | Mossgrove", "; SPRITE 3  - Offset: (24,21)",
         "\t!byte\t108, 0, 255\t\t; 112233..112233..112233..", "\t!byte\t0\t; align byte"},
        {true, true, "\t; created using pixmold by -zarn / QTV | Mossgrove", "; SPRITE 3  - Offset: (24,21)",
         "\t!byte\t$6C, $00, $FF\t\t; 112233..112233..112233..", "\t!byte\t0\t; align byte"},
    };
    for (const auto& form : forms) {
        RunOptions options;
        if (form.acme) {
            options.commentMarker = ";";
            options.byteDirective = "!byte";
        }
        options.hexOutput = form.hex ? 1 : 0;
        EXPECT_EQ(SourceHeaderLine(options), form.header);
        EXPECT_EQ(SourceSeparatorLine(options), "\t" + options.commentMarker + " " +
                                                    std::string(form.acme ? 66 : 65, '-'));
        EXPECT_EQ(SpriteTitleLine(options, 3, cell), form.title);
        EXPECT_EQ(SpriteDataLine(options, cell, 0), form.data);
        EXPECT_EQ(SpriteAlignLine(options), form.align);
    }
    RunOptions hex;
    hex.hexOutput = 1;
    cell.data[4] = 1;
    cell.data[5] = 16;
    EXPECT_EQ(SpriteDataLine(hex, cell, 1), "\t.byte\t$0A, $01, $10\t\t// ........................");
}

TEST(ColorErrorLine, WholeIndexAtLeastFiveDigits)
{
    const struct {
        std::uint8_t color;
        std::int64_t index;
        std::int64_t width;
        const char* expected;
    } cases[] = {
        {7, 50, 48, "> Error: Color 7 found on index $00032 | (X2,Y1)"},
        {4, 0, 24, "> Error: Color 4 found on index $00000 | (X0,Y0)"},
        {254, 70000, 240, "> Error: Color 254 found on index $11170 | (X160,Y291)"},
        {9, 1048576, 48, "> Error: Color 9 found on index $100000 | (X16,Y21845)"},
        {100, 65535, 24, "> Error: Color 100 found on index $0FFFF | (X15,Y2730)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorErrorLine(c.color, c.index, c.width), c.expected);
    }
}
