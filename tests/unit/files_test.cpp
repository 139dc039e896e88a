#include <gtest/gtest.h>

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
