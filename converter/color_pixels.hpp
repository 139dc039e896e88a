// The picture's colours recognised as C64 colours (-colors): a palette as a
// whole, or every RGB value of a true-colour picture on its own; and which RGB
// values became each C64 colour, for the console.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "c64_colors.hpp"
#include "picture.hpp"

// Which RGB values became each C64 colour, each value counted once.
struct RecognisedColors {
    std::array<std::int64_t, kC64ColorCount> valueCount{};
    std::array<std::vector<Rgb>, kC64ColorCount> lowestValues; // ascending, at most kValuesShown
    std::vector<std::uint64_t> seen = std::vector<std::uint64_t>((Rgb{1} << 24) / 64); // one bit per RGB value
    std::int64_t transparent = 0; // pixels of alpha 0
    // The value (0xRRGGBB) of every C64 colour, when a palette was recognised
    // as a whole.
    std::optional<std::array<Rgb, kC64ColorCount>> c64Palette;
};

// The C64 colour of every palette entry: the whole palette when it is a C64
// palette, else each entry on its own.
EntryColors PaletteColors(const std::vector<Rgb>& palette);

// Notes that rgb became color.
void NoteColor(RecognisedColors& recognised, Rgb rgb, std::uint8_t color);

// Where a stored pixel keeps its channels.
struct PixelLayout {
    std::size_t bytesPerPixel;
    std::size_t red;
    std::size_t green;
    std::size_t blue;
    bool alpha; // in the fourth byte
};
constexpr PixelLayout kBlueGreenRed{3, 2, 1, 0, false};
constexpr PixelLayout kBlueGreenRedUnused{4, 2, 1, 0, false};
constexpr PixelLayout kRedGreenBlueAlpha{4, 0, 1, 2, true};

// Maps one stored row of pixels to C64 colours; a pixel of alpha 0 becomes
// kTransparent, whatever colour it stores.
struct TrueColorDecoder {
    PixelLayout layout = kBlueGreenRed;
    std::array<Rgb, 4096> cachedValue; // RGB values and their colours, by a hash of the value
    std::array<std::uint8_t, 4096> cachedColor;
    RecognisedColors recognised;
};
TrueColorDecoder MakeTrueColorDecoder(const PixelLayout& layout);
// The columns of the row, up to width, are decoded into the same columns of colors.
void DecodeTrueColorRow(TrueColorDecoder& decoder, const std::uint8_t* row, RowColumns columns, std::size_t width,
                        std::uint8_t* colors);

// One line for every C64 colour used, in colour order: its number, its name
// and the RGB values that became it, the first few and how many more.
void PrintRecognisedColors(const RecognisedColors& recognised);
