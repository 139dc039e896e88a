// What every picture format shares once its container is read: the size
// rules and limits, the plane, the colour index check with its refusal lines,
// and the hand-off of the colours to their recognition (-colors). Each check
// returns why it refuses the sheet; the sheet reader closes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "c64_colors.hpp"
#include "color_pixels.hpp"
#include "picture.hpp"
#include "refusal.hpp"
#include "runtime/files.hpp"

// How the sheet is read: its colour indexes as multicolour or hires (-hires)
// bit pairs, or its colours as C64 colours (-colors).
struct SheetOptions {
    bool realColors = false;
    bool hiresSprites = false;
};

// One sheet being read: how, and the open file.
struct Sheet {
    SheetOptions options;
    FileHandle file;
};

inline constexpr char kNoData[] = "> Exit program... No data converted.";

// A refusal of the sheet with these lines.
Refusal SheetRefusal(std::initializer_list<Text> lines);

// Width a multiple of 24 and not negative, height a multiple of 21; sets the
// bitmap's size (the height's magnitude: a negative one only orders the rows).
Refused CheckSize(std::int64_t width, std::int64_t height, SourceBitmap& bitmap);

// How a picture is stored: the bytes of one row (padding and filter bytes
// included), the bits of one pixel, and the most bytes of rows that the rest
// of the file can hold.
struct StoredRows {
    std::int64_t rowBytes;
    std::int64_t bitsPerPixel;
    std::int64_t bytesHeld;
};

// Refuses a picture of more pixels than a sprite cell can index, or one that
// its file falls short of by more than 16777216 pixels or bytes; then makes
// the zero-filled plane.
Refused MakePixelPlane(const StoredRows& rows, SourceBitmap& bitmap);

// The size of a buffer of this many bytes; a size that the address space
// cannot hold ends the run as out of memory instead of wrapping.
std::size_t BufferBytes(std::int64_t bytes);

// "> Scanning N bytes of pixeldata...".
void PrintScanningLine(std::int64_t bytes);

// Palette indexes of 1, 2, 4 or 8 bits, leftmost pixel in the highest bits:
// the columns of the row, up to width, into the same columns of indexes.
void UnpackIndexes(const std::uint8_t* row, std::size_t bits, RowColumns columns, std::size_t width,
                   std::uint8_t* indexes);

// A plane of colour indexes: 0-3 (0 and 1 with -hires), 255 read as 0.
// Prints a line for every other index and refuses the sheet; otherwise
// reports the pixels of index 255.
Refused CheckColorIndexes(bool hiresSprites, SourceBitmap& bitmap);

// -colors: the plane's palette indexes become C64 colours, the palette's
// opaque entries recognised as a whole (and noted as a C64 palette when they
// are one); an entry marked transparent (one mark for every entry) gives
// kTransparent. An index beyond the palette gets a line of its own and
// refuses the sheet.
Refused MapPaletteIndexes(const std::vector<Rgb>& palette, const std::vector<bool>& transparent,
                          SourceBitmap& bitmap, RecognisedColors& recognised);

// -colors: shows which RGB values became which C64 colour, and how many
// pixels are transparent.
void ShowRecognisedColors(const RecognisedColors& recognised);
