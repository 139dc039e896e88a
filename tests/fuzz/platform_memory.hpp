// An in-memory backend for the Os* calls of runtime/platform.hpp, for running
// the converter in-process on arbitrary bytes: files are named byte vectors,
// console output goes into a buffer, parameters come from a list, and the end
// of the process is a thrown MemoryProcessEnd that the caller catches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/text.hpp"

using MemoryBytes = std::vector<std::uint8_t>;

// Thrown by OsExitProcess; nothing but the caller of the run may catch it.
struct MemoryProcessEnd {
    int filesLeftOpen = 0; // operating-system files still open at the end
};

// Forgets every file, the console output, the parameters and the input.
void ResetMemoryPlatform();

void PutMemoryFile(const Text& name, const std::uint8_t* bytes, std::size_t count);

// The file's bytes, or nullptr when there is no such file.
const MemoryBytes* FindMemoryFile(const Text& name);

void SetMemoryParameters(const std::vector<Text>& parameters);

// Bytes that the files may grow by in all, from now on; writes past them are
// cut short, like on a full disk. Negative: no limit.
void SetMemoryDiskRoom(std::int64_t room);

// The first bytes of console output (at most kMemoryConsoleKept) and the
// number of bytes written to the console in all.
constexpr std::size_t kMemoryConsoleKept = 65536;
const Text& MemoryConsoleText();
std::uint64_t MemoryConsoleBytes();
