// Reads the sheet named by -s, a BMP or a PNG, into the plane: colour indexes
// 0-3 (0 and 1 with -hires; 255 is read as 0), or with -colors C64 colours.
#pragma once

#include "picture.hpp"
#include "run_control.hpp"

// Reads options.sourceFile; on any failure prints its lines and ends the run.
SourceBitmap LoadSourceBitmap(const RunOptions& options);
