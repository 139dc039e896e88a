// Buffered byte-stream files. Every open file has a 4096-byte buffer, so reading
// a bitmap one byte at a time costs one system call per 4096 bytes. The null
// handle names no file; every operation on it does nothing and returns 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "text.hpp"

struct FileHandle {
    std::uint32_t serial = 0; // 0 is the null handle
};

constexpr std::size_t kFileBufferSize = 4096;

inline bool IsNullHandle(FileHandle handle)
{
    return handle.serial == 0;
}

// A file held in memory, for a run without a process.
struct MemoryFile {
    Text name;
    std::vector<std::uint8_t> bytes;
    bool operator==(const MemoryFile&) const = default;
};

// From now on, until called with nullptr, files are opened in volume and
// created in it instead of the file system: a name opens the file of that
// name (the null handle when there is none), and creating one empties it or
// adds it at the end. The volume must not change while files are open.
void UseMemoryFiles(std::vector<MemoryFile>* volume);

// Opens an existing file for reading; the null handle when that fails.
FileHandle OpenInputFile(const Text& name);

// Creates a file, or empties an existing one, for writing; null on failure.
FileHandle CreateOutputFile(const Text& name);

// The next 1, 2 or 4 bytes, little-endian, sign-extended; missing bytes past the
// end of the file count as zero.
std::int32_t ReadInt8(FileHandle handle);
std::int32_t ReadInt16(FileHandle handle);
std::int32_t ReadInt32(FileHandle handle);

// Reads count bytes through the file's buffer (one system call per 4096
// bytes, as count single-byte reads would cost); missing bytes past the end of
// the file count as zero. Returns the bytes the file held.
std::size_t ReadBytes(FileHandle handle, void* bytes, std::size_t count);

// Copies the next count bytes (at most kFileBufferSize) without consuming
// them: the next read starts with them. Returns the bytes the file held;
// the rest count as zero.
std::size_t PeekBytes(FileHandle handle, void* bytes, std::size_t count);

// Each writes through the file's buffer and returns the bytes written, 0 for a
// null handle: count bytes; the low 8 bits of value; the text and CR LF.
std::size_t WriteBlock(FileHandle handle, const void* bytes, std::size_t count);
std::size_t WriteInt8(FileHandle handle, std::int32_t value);
std::size_t WriteLine(FileHandle handle, const Text& text);

// Flushes and closes. True when every byte written to the file reached the
// operating system and the close reported no error; false otherwise and for a
// null or closed handle.
bool CloseFile(FileHandle handle);

// Closes every open file in the order they were opened.
void CloseAllFiles();

// Called when the console goes away, possibly from a signal handler or another
// thread: waits for a running file operation, then flushes and closes every
// file. Releases no memory; the process ends right after.
void CloseAllFilesOnClose();

// The size of the open file in bytes; none when unknown (a pipe) or for a
// null handle.
std::optional<std::int64_t> FileSizeOf(FileHandle handle);

// True when both names lead to one and the same existing regular file, however
// they are spelled; devices and folders never count. In memory: an existing
// file of the same name.
bool SameRegularFile(const Text& first, const Text& second);
