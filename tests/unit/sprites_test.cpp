// The BASIC writer fed from memory: a listing as large as memory holds. (The
// sprite encoders and the preview are checked byte for byte end to end.)
#include <gtest/gtest.h>

#include "converter/basic_writer.hpp"
#include "tests/unit/test_support.hpp"

namespace {

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
