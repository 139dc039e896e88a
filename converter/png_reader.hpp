// The PNG container, decoded by libspng through the sheet's own file: a
// palette PNG gives colour indexes; with -colors, every colour type gives C64
// colours, pixels of alpha 0 the background.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture.hpp"
#include "plane_builder.hpp"

// Whether the bytes start as a PNG file does ("\x89PNG"); the rest of its
// signature is the decoder's to check.
bool StartsAsPng(const std::uint8_t* bytes, std::size_t count);

// Reads the sheet from its first byte, or says why it refuses it.
Outcome<SourceBitmap> ReadPngSheet(const Sheet& sheet);
