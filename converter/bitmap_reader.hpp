// Reads and checks the source bitmap: an uncompressed 8-bit palette BMP whose
// width is a multiple of 24 and height a multiple of 21, with colour indexes
// 0-3 (0 and 1 with -hires; 255 is read as 0).
#pragma once

#include "plane.hpp"
#include "run_control.hpp"

struct SourceBitmap {
    MachineWord width = 0;
    MachineWord height = 0; // rows, whichever way the file stores them
    PixelPlane pixels;
    // A pixel of index 2 or 3. Stays false for a depth whose pixels are not
    // read, so that the sprite grid refuses such a picture as single-colour.
    bool multicolorFound = false;
};

// Reads options.sourceFile; on any failure prints its lines and ends the run.
SourceBitmap LoadSourceBitmap(const RunOptions& options);
