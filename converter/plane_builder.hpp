// What every picture format shares: the options and the open sheet, and the
// plane builder, which turns the rows, the palette and the transparency that
// a container hands over into the plane. Each step returns why it refuses the
// sheet; the sheet reader closes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
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

// How a picture is stored in its file: the bytes of one row (padding and
// filter bytes included), the bits of one pixel, and the most bytes of rows
// that the rest of the file can hold.
struct StoredRows {
    std::int64_t rowBytes;
    std::int64_t bitsPerPixel;
    std::int64_t bytesHeld;
};

// How a container hands over a row: palette indexes of 1, 2, 4 or 8 bits,
// leftmost pixel in the highest bits, or true colours stored as layout says.
struct RowFormat {
    std::size_t bitsPerPixel = 8;
    bool trueColor = false;
    PixelLayout layout = kBlueGreenRed;
};

// The palette a container hands over (-colors): its colours, and which of its
// entries are transparent.
struct Palette {
    std::vector<Rgb> colors;
    std::vector<bool> transparent;
};

// The plane being built out of the rows a container hands over. The builder
// owns the size rules and limits, the plane and the row buffer; the container
// fills row with one row at a time, as format says, and stores it.
struct PlaneBuilder {
    SheetOptions options;
    RowFormat format;
    SourceBitmap bitmap;
    std::vector<std::uint8_t> row;
    std::unique_ptr<TrueColorDecoder> decoder; // -colors alone
};

PlaneBuilder NewPlaneBuilder(SheetOptions options);

// Width a multiple of 24 and not negative, height a multiple of 21; sets the
// bitmap's size (the height's magnitude: a negative one only orders the rows).
Refused SetPlaneSize(PlaneBuilder& builder, std::int64_t width, std::int64_t height);

// Refuses a picture of more pixels than a sprite cell can index, or one that
// its file falls short of by more than 16777216 pixels or bytes; then makes
// the zero-filled plane and a row buffer for rows of format.
Refused MakePlane(PlaneBuilder& builder, const StoredRows& rows, const RowFormat& format);

// The size of a buffer of this many bytes; a size that the address space
// cannot hold ends the run as out of memory instead of wrapping.
std::size_t BufferBytes(std::int64_t bytes);

// "> Scanning N bytes of pixeldata...".
void PrintScanningLine(std::int64_t bytes);

// The row buffer into row y of the plane, at these columns: indexes copied or
// unpacked, true colours recognised as C64 colours.
void StoreRow(PlaneBuilder& builder, std::size_t y, RowColumns columns);

// The plane once every row is stored: its colour indexes checked (0-3, 0 and
// 1 with -hires, 255 read as 0; a line for every other index refuses the
// sheet), or with -colors the palette's indexes mapped to C64 colours (a
// palette of none: true colours) and the recognised colours shown.
Outcome<SourceBitmap> FinishPlane(PlaneBuilder& builder, const Palette* palette);
