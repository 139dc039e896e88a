// -object WxH: the order of the cells in the files for objects of W x H cells
// (a ship of 2 x 2 sprites): block by block, left to right and top to bottom,
// each block's cells row by row, so that an object's sprites follow each other.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "picture.hpp"
#include "refusal.hpp"
#include "runtime/text.hpp"

// An object's size in cells; 1 x 1 is every cell on its own, row by row.
struct ObjectSize {
    MachineWord columns = 1;
    MachineWord rows = 1;
};

// -object as given: two numbers of 1 to 9 digits, at least 1, joined by "x"
// ("2x2"); without -object 1 x 1. Anything else is refused with a line.
Outcome<ObjectSize> ReadObjectSize(const std::optional<Text>& given);

// The cells of a sheet of these cell columns and rows in the order of the
// files, as row-by-row cell numbers; empty for objects of one row (which
// keep the order of cells). A sheet
// that does not divide into whole objects is refused with a line.
Outcome<std::vector<std::size_t>> ObjectOrder(MachineWord columns, MachineWord rows, const ObjectSize& size);
