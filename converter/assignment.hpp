// The minimum-cost one-to-one assignment of the rows of a square cost matrix
// to its columns, by the Hungarian method in O(n^3).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using CostMatrix = std::vector<std::vector<std::int64_t>>; // [row][column], n x n

// The column of each row, so that the costs taken sum to the least possible.
std::vector<std::size_t> MinimumCostAssignment(const CostMatrix& costs);
