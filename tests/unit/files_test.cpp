#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "runtime/files.hpp"
#include "test_support.hpp"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

} // namespace

TEST(FileService, ReadsLittleEndianWithSignExtension)
{
    TemporaryFolder folder;
    const std::string name = folder.PathOf("values.bin");
    WriteWholeFile(name, Bytes({66, 77, 255, 128, 255, 255, 255, 255, 0, 128, 127, 1, 2, 3, 4, 200}));
    const FileHandle file = OpenInputFile(name);
    ASSERT_FALSE(IsNullHandle(file));
    EXPECT_EQ(ReadInt16(file), 19778);
    EXPECT_EQ(ReadInt8(file), -1);
    EXPECT_EQ(ReadInt8(file), -128);
    EXPECT_EQ(ReadInt32(file), -1);
    EXPECT_EQ(ReadInt16(file), -32768);
    EXPECT_EQ(ReadInt8(file), 127);
    EXPECT_EQ(ReadInt32(file), 0x04030201);
    // One byte left: the item is that byte, unsigned; then zeros.
    EXPECT_EQ(ReadInt16(file), 200);
    EXPECT_EQ(ReadInt8(file), 0);
    EXPECT_EQ(ReadInt32(file), 0);
    EXPECT_EQ(CloseFile(file), 1);
}

TEST(FileService, ItemsAcrossTheBufferEdge)
{
    // A 4-byte item that starts at 4093, 4094, 4095 or 4096 is split over two fills.
    for (int lead : {4092, 4093, 4094, 4095, 4096, 4097}) {
        TemporaryFolder folder;
        const std::string name = folder.PathOf("edge.bin");
        std::string bytes(static_cast<std::size_t>(lead), '\0');
        bytes += Bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        WriteWholeFile(name, bytes);
        const FileHandle file = OpenInputFile(name);
        for (int i = 0; i < lead; i += 1) {
            ASSERT_EQ(ReadInt8(file), 0);
        }
        EXPECT_EQ(ReadInt32(file), 0x44332211) << lead;
        EXPECT_EQ(ReadInt16(file), 0x6655) << lead;
        EXPECT_EQ(ReadInt8(file), 0) << lead;
        CloseFile(file);
    }
}

TEST(FileService, SingleByteWritesFlushWheneverTheBufferFills)
{
    for (int count : {1, 4095, 4096, 4097, 8192, 10000}) {
        TemporaryFolder folder;
        const std::string name = folder.PathOf("bytes.bin");
        const FileHandle file = CreateOutputFile(name);
        ASSERT_FALSE(IsNullHandle(file));
        std::string expected;
        for (int i = 0; i < count; i += 1) {
            ASSERT_EQ(WriteInt8(file, i * 7 + 256), 1);
            expected += static_cast<char>((i * 7) & 0xFF);
        }
        EXPECT_EQ(CloseFile(file), 1);
        EXPECT_EQ(ReadWholeFile(name), expected) << count;
    }
}

TEST(FileService, LinesEndInCarriageReturnLineFeed)
{
    TemporaryFolder folder;
    const std::string name = folder.PathOf("lines.txt");
    const FileHandle file = CreateOutputFile(name);
    EXPECT_EQ(WriteLine(file, ""), 2);
    EXPECT_EQ(WriteLine(file, "abc"), 5);
    const std::string longText(5000, 'L'); // longer than the buffer: written straight through
    EXPECT_EQ(WriteLine(file, longText), 5002);
    EXPECT_EQ(WriteLine(file, "z"), 3);
    CloseFile(file);
    EXPECT_EQ(ReadWholeFile(name), "\r\nabc\r\n" + longText + "\r\nz\r\n");
}

TEST(FileService, ReadBetweenWritesFlushesAndKeepsTheOrder)
{
    TemporaryFolder folder;
    const std::string name = folder.PathOf("mixed.bin");
    WriteWholeFile(name, "old");
    const FileHandle file = CreateOutputFile(name);
    EXPECT_EQ(ReadInt8(file), 0); // emptied by the create
    WriteInt8(file, 'A');
    WriteInt8(file, 'B');
    EXPECT_EQ(ReadInt8(file), 0); // the switch to reading flushes A and B; nothing follows
    EXPECT_EQ(ReadWholeFile(name), "AB");
    WriteInt8(file, 'C');
    EXPECT_EQ(CloseFile(file), 1);
    EXPECT_EQ(ReadWholeFile(name), "ABC");
}

TEST(FileService, NullAndClosedHandlesDoNothing)
{
    TemporaryFolder folder;
    const std::string name = folder.PathOf("closed.bin");
    const FileHandle closed = CreateOutputFile(name);
    WriteInt8(closed, 1);
    EXPECT_EQ(CloseFile(closed), 1);
    const FileHandle null;
    for (const FileHandle handle : {null, closed}) {
        EXPECT_EQ(ReadInt8(handle), 0);
        EXPECT_EQ(ReadInt16(handle), 0);
        EXPECT_EQ(ReadInt32(handle), 0);
        EXPECT_EQ(WriteInt8(handle, 7), 0);
        EXPECT_EQ(WriteLine(handle, "text"), 0);
        EXPECT_EQ(CloseFile(handle), 0);
        EXPECT_EQ(FileSizeOf(handle), -1);
    }
    EXPECT_EQ(ReadWholeFile(name), std::string(1, '\1'));
}

TEST(FileService, OpenModes)
{
    TemporaryFolder folder;
    EXPECT_TRUE(IsNullHandle(OpenInputFile(folder.PathOf("missing.bmp"))));
    EXPECT_TRUE(IsNullHandle(OpenInputFile(folder.path.string())));
    EXPECT_TRUE(IsNullHandle(CreateOutputFile(folder.PathOf("no-such-folder/out.asm"))));

    const std::string name = folder.PathOf("existing.asm");
    WriteWholeFile(name, "old contents");
    const FileHandle file = CreateOutputFile(name);
    ASSERT_FALSE(IsNullHandle(file));
    EXPECT_EQ(ReadWholeFile(name), "");
    EXPECT_EQ(FileSizeOf(file), 0);
    CloseFile(file);

    const FileHandle input = OpenInputFile(name);
    ASSERT_FALSE(IsNullHandle(input));
    EXPECT_EQ(WriteInt8(input, 1), 1); // buffered; the flush at close fails
    EXPECT_EQ(CloseFile(input), 0);
    EXPECT_EQ(ReadWholeFile(name), "");
}

TEST(FileService, CloseAllFilesFlushesInOpeningOrder)
{
    TemporaryFolder folder;
    const FileHandle first = CreateOutputFile(folder.PathOf("first.txt"));
    const FileHandle second = CreateOutputFile(folder.PathOf("second.txt"));
    WriteLine(first, "one");
    WriteLine(second, "two");
    CloseAllFiles();
    EXPECT_EQ(ReadWholeFile(folder.PathOf("first.txt")), "one\r\n");
    EXPECT_EQ(ReadWholeFile(folder.PathOf("second.txt")), "two\r\n");
    EXPECT_EQ(WriteLine(first, "late"), 0);
}

TEST(FileService, SameRegularFileByIdentity)
{
    TemporaryFolder folder;
    const std::string name = folder.PathOf("a.bmp");
    WriteWholeFile(name, "BM");
    WriteWholeFile(folder.PathOf("b.bmp"), "BM");
    std::filesystem::create_directory(folder.PathOf("sub"));
    EXPECT_EQ(SameRegularFile(name, name), 1);
    EXPECT_EQ(SameRegularFile(name, folder.PathOf("sub/../a.bmp")), 1);
    EXPECT_EQ(SameRegularFile(name, folder.PathOf("b.bmp")), 0);
    EXPECT_EQ(SameRegularFile(name, folder.PathOf("missing.bmp")), 0);
    EXPECT_EQ(SameRegularFile(folder.PathOf("sub"), folder.PathOf("sub")), 0);
    EXPECT_EQ(SameRegularFile(name, ""), 0);
}

TEST(FileService, BlockReadsAndWritesMatchSingleBytes)
{
    // (bytes in the file, single bytes read first, block size): blocks across
    // buffer fills, past the end of the file, and of nothing at all.
    const struct {
        std::size_t fileSize;
        int leadingBytes;
        std::int32_t block;
    } cases[] = {
        {10000, 0, 4800}, {10000, 1, 4095}, {10000, 4095, 2}, {10000, 4096, 4096}, {10000, 3, 9997},
        {100, 10, 200}, {0, 0, 5}, {10000, 7, 0},
    };
    for (const auto& c : cases) {
        TemporaryFolder folder;
        std::string bytes;
        for (std::size_t i = 0; i < c.fileSize; i += 1) {
            bytes += static_cast<char>((i * 7 + i / 256) % 251);
        }
        const std::string name = folder.PathOf("block.bin");
        WriteWholeFile(name, bytes);
        const FileHandle file = OpenInputFile(name);
        std::string expected;
        for (int i = 0; i < c.leadingBytes; i += 1) {
            expected += static_cast<char>(ReadInt8(file));
        }
        std::string block(static_cast<std::size_t>(c.block), '\x5A');
        ReadBytes(file, reinterpret_cast<std::uint8_t*>(block.data()), c.block);
        for (std::int32_t i = 0; i < c.block; i += 1) {
            const std::size_t at = static_cast<std::size_t>(c.leadingBytes + i);
            expected += at < bytes.size() ? bytes[at] : '\0';
        }
        const std::string after = expected + static_cast<char>(ReadInt8(file));
        EXPECT_EQ(expected.substr(static_cast<std::size_t>(c.leadingBytes)), block) << c.fileSize << " " << c.block;
        const std::size_t next = static_cast<std::size_t>(c.leadingBytes + c.block);
        EXPECT_EQ(after.back(), next < bytes.size() ? bytes[next] : '\0') << c.fileSize << " " << c.block;
        CloseFile(file);

        // Writing the same bytes as blocks of this size, after a few single bytes, gives them back in order.
        const std::string copy = folder.PathOf("copy.bin");
        const FileHandle output = CreateOutputFile(copy);
        for (int i = 0; i < c.leadingBytes && static_cast<std::size_t>(i) < bytes.size(); i += 1) {
            WriteInt8(output, static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]));
        }
        std::size_t at = std::min(static_cast<std::size_t>(c.leadingBytes), bytes.size());
        while (c.block > 0 && at < bytes.size()) {
            const std::int32_t piece = static_cast<std::int32_t>(std::min<std::size_t>(static_cast<std::size_t>(c.block), bytes.size() - at));
            EXPECT_EQ(WriteBlock(output, reinterpret_cast<const std::uint8_t*>(bytes.data() + at), piece), piece);
            at += static_cast<std::size_t>(piece);
        }
        EXPECT_EQ(CloseFile(output), 1);
        EXPECT_EQ(ReadWholeFile(copy), bytes.substr(0, at)) << c.fileSize << " " << c.block;
    }
    std::uint8_t untouched[3] = {1, 2, 3};
    ReadBytes(FileHandle(), untouched, 3); // the null handle reads zeros
    EXPECT_EQ(untouched[0] + untouched[1] + untouched[2], 0);
    EXPECT_EQ(WriteBlock(FileHandle(), untouched, 3), 0);
}
