// Reads the sheet named by -s, a BMP or a PNG, into the plane: colour indexes
// 0-3 (0 and 1 with -hires; 255 is read as 0), or with -colors C64 colours.
#pragma once

#include "picture.hpp"
#include "refusal.hpp"
#include "plane_builder.hpp"

// Opens the named file, reads it and closes it, on every path: the bitmap,
// or why the sheet is refused.
Outcome<SourceBitmap> LoadSourceBitmap(const Text& name, SheetOptions options);
