// The sprite encoders and the preview's drawing fed from memory: a cell's
// pixels in, its data bytes, text picture, colour and overlay out; sprites in,
// the preview's palette indexes out; a BASIC listing as large as memory holds.
#include <gtest/gtest.h>

#include "converter/basic_writer.hpp"
#include "converter/preview_writer.hpp"
#include "converter/sheet_reader.hpp"
#include "converter/sprite_grid.hpp"
#include "tests/unit/test_support.hpp"

// A case names the options it sets; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// Row 0 of a sprite: its three data bytes, its text, its colour and its mode.
std::string RowOf(const Sprite& sprite)
{
    Text text;
    AppendPreviewText(sprite, 0, text);
    return std::to_string(sprite.data[0]) + " " + std::to_string(sprite.data[1]) + " " +
           std::to_string(sprite.data[2]) + " " + text + " " + std::to_string(sprite.ownColor) +
           (sprite.multicolor ? " M" : " H");
}

TEST(SpriteGrid, EncodesCells)
{
    const struct {
        SpriteOptions options; // -colors, -hires, -overlay
        std::string row;
        std::uint8_t overlay;
        std::string sprite;
        std::string over;
    } cases[] = {
        {{}, "102132231021322310213223", kNoOverlay, "110 110 110 1.2132231.2132231.213223 12 M", ""},
        {{false, true}, "101100000000000000000001", kNoOverlay, "176 0 1 1.11...................1 12 H", ""},
        {{true}, "00bb22cc" "ttbbcc22" "00bb22cc", kNoOverlay, "27 30 27 ..112233..113322..112233 2 M", ""},
        {{true, true}, "707700000000t00000000007", kNoOverlay, "176 0 1 1.11...................1 7 H", ""},
        {{true, false, true}, "1111b11bcc1c2222000000bb", 1, "5 250 1 ....111133332222......11 2 M",
         "246 32 0 1111.11...1............. 1 H"},
    };
    const InMemory memory;
    for (const auto& test : cases) {
        const std::vector<std::uint8_t> overlays(test.overlay != kNoOverlay, test.overlay);
        const Outcome<SpriteTable> outcome = ConvertSprites(test.options, Band({test.row}), {0, 11, 12}, overlays);
        const SpriteCell& cell = std::get<SpriteTable>(outcome).cells.at(0);
        EXPECT_EQ(RowOf(cell.sprite), test.sprite);
        EXPECT_EQ(cell.overlay ? RowOf(*cell.overlay) : "", test.over);
    }
    EXPECT_EQ(memory.console.lines.back(), "> Converting 2 sprites to C64 format (1 overlay pairs)");
}

TEST(PreviewWriter, DrawsWhatTheC64Shows)
{
    // A multicolour sprite of colour 2 under an overlay of colour 1, beside a hires sprite of colour 7.
    SpriteTable table{std::vector<SpriteCell>(2), {0, 11, 12}, 48, 21, {}, {}};
    Sprite over{{}, {}, 1, false};
    table.cells[0].sprite = {{}, {}, 2, true};
    table.cells[1].sprite = {{}, {}, 7, false};
    for (std::size_t byte = 0; byte < 63; byte += 1) {
        table.cells[0].sprite.data[byte] = 27;                        // bit pairs 00 01 10 11
        over.data[byte] = byte % 3 == 0 ? 0x81 : 0;                   // the first and the eighth column
        table.cells[1].sprite.data[byte] = byte < 60 ? 0xA5 : 0x0F;   // 1010 0101; the last row 0000 1111
    }
    table.cells[0].overlay = std::make_unique<Sprite>(over);
    OutputOptions options;
    options.previewFile = "p.png";
    const InMemory memory;
    EXPECT_FALSE(WritePreviewFile(options, table));
    EXPECT_EQ(memory.console.lines, std::vector<Text>({"> Saving preview: p.png", "> ...done!", ""}));
    // Read back as C64 colours: its palette is a C64 palette.
    const SourceBitmap shown = std::get<SourceBitmap>(LoadSourceBitmap("p.png", {true, false}));
    ASSERT_EQ(shown.pixels.size(), 48U * 21);
    std::string rows[2];
    for (std::size_t x = 0; x < 48; x += 1) {
        rows[0] += "0123456789ABCDEF"[shown.pixels[x]];
        rows[1] += "0123456789ABCDEF"[shown.pixels[20 * 48 + x]];
    }
    EXPECT_EQ(rows[0], "10BB22C100BB22CC00BB22CC707007077070070770700707");
    EXPECT_EQ(rows[1], "10BB22C100BB22CC00BB22CC000077770000777700007777");
}

// The bytes a listing takes in the C64's memory: each line 5 bytes and its
// text after the number (keywords as typed), then 2 bytes.
std::int64_t ListingBytes(const std::vector<std::uint8_t>& listing)
{
    const std::string text(listing.begin(), listing.end());
    std::int64_t bytes = 2;
    for (std::size_t start = 0, end = 0; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        bytes += 5 + static_cast<std::int64_t>(end - text.find(' ', start)) - 1;
    }
    return bytes;
}

TEST(BasicWriter, AProgramThatEndsWhereItsSpritesStart)
{
    SpriteTable table{std::vector<SpriteCell>(60), {}, 60 * 24, 21, {}, {}};
    OutputOptions options;
    options.basicFile = "o.bas";
    const InMemory memory;
    ASSERT_FALSE(WriteBasicFile(options, table));
    // Room left between the program with its 28 bytes of variables and the
    // sprites, which end at 16383: a value of 10 for 0 takes one byte more.
    const std::int64_t room = 16384 - 60 * 64 - 2049 - 28 - ListingBytes(memory.files.at(0).bytes);
    for (std::int64_t wider = 0; wider < room; wider += 1) {
        table.cells[static_cast<std::size_t>(wider / 63)].sprite.data[static_cast<std::size_t>(wider % 63)] = 10;
    }
    EXPECT_FALSE(WriteBasicFile(options, table));
    EXPECT_EQ(ListingBytes(memory.files.at(0).bytes), 16384 - 60 * 64 - 2049 - 28);
    table.cells[59].sprite.data[62] = 10;
    EXPECT_EQ(WriteBasicFile(options, table).value_or(Refusal{}).lines,
              std::vector<Text>({"> Error: 60 sprites are too many for a BASIC listing: its program would reach 12544, "
                                 "where they start."}));
}

} // namespace
