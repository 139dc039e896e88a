// The picture in memory, and MachineWord, the pointer-wide integer that counts
// and indexes it (rows, columns, cells).
#pragma once

#include <cstdint>
#include <vector>

// A signed integer as wide as a pointer: counters, counts and coordinates.
using MachineWord = std::intptr_t;

// One entry per pixel, index row x width + column, row 0 at the top.
using PixelPlane = std::vector<std::uint8_t>;
