#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "runtime/files.hpp"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif
#include "test_support.hpp"

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; i += 1) {
        bytes += static_cast<char>((i * 7 + i / 256) % 251);
    }
    return bytes;
}

} // namespace

TEST(FileService, ItemsLittleEndianAcrossTheBufferEdge)
{
    // Items that start just before, at and after the end of the first 4096-byte fill;
    // the file ends in one byte, read as the unsigned value of a 16-bit item, then zeros.
    for (std::size_t lead = 4092; lead <= 4097; lead += 1) {
        TemporaryFolder folder;
        const std::string items("\x11\x22\x33\x44\xff\x80\xff\xff\xff\xff\x00\x80\xc8", 13);
        WriteWholeFile(folder.PathOf("a"), std::string(lead, 'z') + items);
        const FileHandle file = OpenInputFile(folder.PathOf("a"));
        std::string skipped(lead, '\0');
        ReadBytes(file, skipped.data(), lead);
        EXPECT_EQ(skipped, std::string(lead, 'z'));
        EXPECT_EQ(ReadInt32(file), 0x44332211) << lead;
        EXPECT_EQ(ReadInt8(file), -1);
        EXPECT_EQ(ReadInt8(file), -128);
        EXPECT_EQ(ReadInt32(file), -1);
        EXPECT_EQ(ReadInt16(file), -32768);
        EXPECT_EQ(ReadInt16(file), 200);
        EXPECT_EQ(ReadInt8(file), 0);
        std::ofstream(folder.PathOf("a"), std::ios::app) << "late"; // the end, once met, stays
        EXPECT_EQ(ReadInt32(file), 0);
        EXPECT_TRUE(CloseFile(file));
    }
}

TEST(FileService, BlocksAndSingleBytesInEveryMix)
{
    // (file size, single bytes first, block size): across fills, past the end, and empty.
    const std::size_t cases[][3] = {{10000, 0, 4800}, {10000, 1, 4095}, {10000, 4095, 2}, {10000, 4096, 4096},
                            {10000, 3, 9997}, {100, 10, 200}, {0, 0, 5}, {10000, 7, 0}, {10001, 4097, 1}};
    for (const auto& [size, lead, block] : cases) {
        TemporaryFolder folder;
        const std::string bytes = Pattern(size);
        WriteWholeFile(folder.PathOf("in"), bytes);
        const FileHandle input = OpenInputFile(folder.PathOf("in"));
        const FileHandle output = CreateOutputFile(folder.PathOf("out"));
        std::string read;
        for (std::size_t i = 0; i < lead; i += 1) {
            read += static_cast<char>(ReadInt8(input));
            EXPECT_EQ(WriteInt8(output, read.back()), 1U);
        }
        std::string ahead(block, '\x5A'); // a look ahead leaves the bytes to the next read
        const std::size_t peeked = PeekBytes(input, ahead.data(), block);
        std::string piece(block, '\x5A');
        const std::size_t held = ReadBytes(input, piece.data(), block);
        EXPECT_EQ(held, std::min(block, size - std::min(size, lead)));
        EXPECT_EQ(ahead, piece.substr(0, std::min(held, kFileBufferSize)) + std::string(block - peeked, '\0'));
        EXPECT_EQ(WriteBlock(output, piece.data(), block), block);
        EXPECT_EQ(WriteLine(output, ""), 2U);
        read += piece + static_cast<char>(ReadInt8(input));
        std::string expected = bytes.substr(0, lead + block + 1);
        expected.resize(lead + block + 1, '\0'); // zeros past the end
        EXPECT_EQ(read, expected) << size << " " << lead << " " << block;
        EXPECT_TRUE(CloseFile(output));
        EXPECT_EQ(ReadWholeFile(folder.PathOf("out")), expected.substr(0, expected.size() - 1) + "\r\n");
        CloseFile(input);
    }
}

TEST(FileService, ReadingBetweenWritesFlushesInOrder)
{
    TemporaryFolder folder;
    WriteWholeFile(folder.PathOf("out"), "old");
    const FileHandle file = CreateOutputFile(folder.PathOf("out"));
    EXPECT_EQ(ReadInt8(file), 0); // emptied by the create
    WriteLine(file, "AB");
    EXPECT_EQ(ReadInt8(file), 0);
    EXPECT_EQ(ReadWholeFile(folder.PathOf("out")), "AB\r\n");
    WriteInt8(file, 'C');
    EXPECT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadWholeFile(folder.PathOf("out")), "AB\r\nC");
}

TEST(FileService, RefusedOpensNullAndClosedHandles)
{
    TemporaryFolder folder;
    EXPECT_TRUE(IsNullHandle(OpenInputFile(folder.PathOf("missing.bmp"))));
    EXPECT_TRUE(IsNullHandle(OpenInputFile(folder.path.string())));
    EXPECT_TRUE(IsNullHandle(CreateOutputFile(folder.PathOf("no-folder/out"))));
    const FileHandle closed = CreateOutputFile(folder.PathOf("closed"));
    WriteInt8(closed, 1);
    EXPECT_EQ(FileSizeOf(closed), 0); // still in the buffer
    EXPECT_TRUE(CloseFile(closed));
    const FileHandle reading = OpenInputFile(folder.PathOf("closed"));
    EXPECT_EQ(FileSizeOf(reading), 1);
    EXPECT_EQ(WriteInt8(reading, 2), 1U); // buffered; the flush at the close fails
    EXPECT_FALSE(CloseFile(reading));
    for (const FileHandle handle : {FileHandle(), closed, reading}) {
        EXPECT_EQ(ReadInt8(handle) + ReadInt16(handle) + ReadInt32(handle), 0);
        std::uint8_t bytes[2] = {9, 9};
        EXPECT_EQ(PeekBytes(handle, bytes, 1) + ReadBytes(handle, bytes + 1, 1) + bytes[0] + bytes[1], 0U);
        EXPECT_EQ(WriteInt8(handle, 7) + WriteLine(handle, "text") + WriteBlock(handle, nullptr, 3), 0U);
        EXPECT_FALSE(CloseFile(handle));
        EXPECT_FALSE(FileSizeOf(handle));
    }
    EXPECT_EQ(ReadWholeFile(folder.PathOf("closed")), "\1");
#if !defined(_WIN32)
    const mode_t mask = umask(022); // a file made may be read by all, written by its owner
    CloseFile(CreateOutputFile(folder.PathOf("made")));
    umask(mask);
    EXPECT_EQ(std::filesystem::status(folder.PathOf("made")).permissions(), std::filesystem::perms(0644));
#endif
}
