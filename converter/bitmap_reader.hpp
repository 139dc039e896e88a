// Reads and checks the source bitmap: an uncompressed 8-bit palette BMP whose
// width is a multiple of 24 and height a multiple of 21, with colour indexes
// 0-3 (255 is read as 0).
#pragma once

#include <cstdint>

#include "plane.hpp"
#include "run_control.hpp"
#include "runtime/text.hpp"

// The file and info headers in file order, named as in the BMP format.
struct BitmapHeader {
    std::int16_t bfType = 0;
    std::int32_t bfSize = 0;
    std::int32_t bfReserved = 0; // bfReserved1 and bfReserved2, read together
    std::int32_t bfOffBits = 0;
    std::int32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::int16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::int32_t biCompression = 0;
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;
};

constexpr std::int32_t kBitmapSignature = 19778; // "BM"
constexpr std::int32_t kHeaderBytes = 54;
constexpr std::int32_t kMaximumPaletteEntries = 256;
// Pictures of more pixels do not fit the 32-bit pixel index of a sprite cell.
constexpr std::int64_t kMaximumPixels = 2147483647;
// A header may claim at most this many pixels beyond the bytes its file holds;
// missing pixels read as index 0, but memory and time stay bounded by the file.
constexpr std::int64_t kMaximumMissingPixels = 16777216;

struct ColorScan {
    bool badColorFound = false;
    bool color255Found = false;
    MachineWord color255Count = 0;
    bool multicolorFound = false;
};

struct SourceBitmap {
    BitmapHeader header;
    MachineWord width = 0;
    MachineWord height = 0; // rows, whichever way the file stores them
    PixelPlane pixels;
    ColorScan scan;
};

// Reads options.sourceFile into bitmap; on any failure prints its lines and
// ends the run.
void LoadSourceBitmap(const RunOptions& options, SourceBitmap& bitmap);

// The colour error line for pixel index of a picture of the given width.
Text ColorErrorLine(std::uint8_t color, std::int64_t index, std::int64_t width);
