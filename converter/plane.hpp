// The picture in memory: a zero-filled plane of entries, and MachineWord, the
// pointer-wide integer that counts and indexes it (rows, columns, cells).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

// A signed integer as wide as a pointer: counters, counts and coordinates.
using MachineWord = std::intptr_t;

struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
};

// A zero-filled plane of entries, index row x width + column, row 0 at the top.
template <typename Entry> struct Plane {
    std::unique_ptr<Entry[], FreeMemory> entries;
    MachineWord count = 0;
};

using PixelPlane = Plane<std::uint8_t>;

// Makes a zero-filled plane; false when the memory cannot be had.
template <typename Entry> bool MakePlane(Plane<Entry>& plane, std::int64_t count)
{
    plane.entries.reset();
    plane.count = 0;
    if (count < 0 || static_cast<std::uint64_t>(count) > SIZE_MAX / sizeof(Entry)) {
        return false;
    }
    const std::size_t entries = count == 0 ? 1 : static_cast<std::size_t>(count);
    plane.entries.reset(static_cast<Entry*>(std::calloc(entries, sizeof(Entry))));
    if (!plane.entries) {
        return false;
    }
    plane.count = static_cast<MachineWord>(count);
    return true;
}
