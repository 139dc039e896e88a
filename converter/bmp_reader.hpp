// The BMP container: the file and info headers, the palette and the stored
// rows. An uncompressed 8-bit palette BMP gives colour indexes; with -colors,
// 1, 4, 8, 24 and 32 bits give C64 colours.
#pragma once

#include "picture.hpp"
#include "plane_builder.hpp"

// Reads the sheet from its first byte, or says why it refuses it.
Outcome<SourceBitmap> ReadBmpSheet(const Sheet& sheet);
