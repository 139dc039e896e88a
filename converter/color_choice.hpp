// -colors: which C64 colours the sprites share. In multicolour the bit pair 00
// is the background, 01 and 11 the two shared multicolours and 10 each
// sprite's own colour; in hires the bit 0 is the background and 1 the
// sprite's own colour. What -bg and -mc do not fix is chosen so that every
// cell converts, when any choice does; with -overlay a cell that no sprite
// shows exactly may become a multicolour sprite under a hires one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "picture.hpp"
#include "refusal.hpp"
#include "runtime/text.hpp"
#include "shared_colors.hpp"

// The colours -bg and -mc fix.
struct FixedColors {
    std::optional<std::uint8_t> background;
    std::optional<std::array<std::uint8_t, 2>> multicolors; // 01 and 11
};

// The colour options as given: -hires, -overlay, -mixed, -bg and -mc.
struct ColorOptions {
    bool hiresSprites = false;
    bool overlay = false;
    bool mixed = false;
    std::optional<Text> fixedBackground;
    std::optional<Text> fixedMulticolors;
};

// Reads -bg and -mc; a value that is no colour number 0-15, equal numbers,
// -mc with -hires, or -overlay or -mixed with -hires are refused with a line
// that says so.
Outcome<FixedColors> ReadFixedColors(const ColorOptions& options);

// The sprites a sheet may become: all hires (-hires), multicolour cells
// that may become overlay pairs (-overlay), each cell hires or multicolour
// (-mixed).
struct SpriteModes {
    bool hires = false;
    bool overlay = false;
    bool mixed = false;
};

using ColorSet = std::uint32_t; // bit n for C64 colour n, bit 16 for transparent pixels

// What the search needs to know of one cell. A pair is split when its two
// pixels differ; partners[c] holds the colours (transparent too) that share a
// split pair with colour c. All but read are for -overlay alone.
struct CellColors {
    ColorSet read = 0;    // the colours of the columns read, transparent pixels left out
    ColorSet uniform = 0; // the colours of the pairs whose pixels are alike
    std::array<ColorSet, kTransparent> partners{};
    std::array<std::uint16_t, kTransparent> pixels{}; // of each colour, in every column
    // Multicolour: the split pairs, and those of a transparent pixel beside
    // each colour (which lose nothing when that colour is the background).
    // Without -overlay and -mixed only split pairs beside a transparent pixel
    // count: any other loses its pixel under every choice.
    std::uint16_t splitPairs = 0;
    std::array<std::uint16_t, kTransparent> besideTransparent{};
    ColorSet all = 0; // -mixed: the colours of every column, transparent pixels left out
};

// Multicolour: a cell's split pairs, where the first is, and whether one of
// them holds a transparent pixel (which shows alike beside the background).
struct SplitPairs {
    std::int64_t count = 0;
    MachineWord x = 0;
    MachineWord y = 0;
    bool transparent = false;
};

struct SheetColors {
    MachineWord columns = 0;            // cells in a band
    std::vector<CellColors> cells;      // by cell number
    std::vector<SplitPairs> splits;     // by cell number
    std::array<std::int64_t, kTransparent> pixels{}; // read pixels of each colour
    std::array<std::int64_t, kTransparent> users{};  // cells that use each colour
    ColorSet opaque = 0;      // the colours of every pixel, in every column
    bool transparent = false; // a pixel is transparent
};

// Every cell's colours; multicolour reads the left pixel of each pair.
SheetColors ScanSheetColors(const SourceBitmap& bitmap, const SpriteModes& modes);


struct ColorChoice {
    SharedColors colors;
    std::vector<std::uint8_t> overlays; // by cell: the colour of its hires overlay, or kNoOverlay
    std::vector<std::uint8_t> hiresCells; // -mixed, by cell: 1 for a hires sprite
    std::vector<std::size_t> unfit;     // the cells that convert under no sprite, in order
    bool opaqueBackground = false;      // a transparent sheet's background is a colour of its pixels
};

// The colours a choice shares: the background, and in multicolour the two
// multicolours.
ColorSet SharedSet(const SharedColors& colors, bool hires);

// Of the choices under which every cell converts, the one that loses the
// fewest pixels (pairs whose right pixel shows other than the left), then
// with -overlay needs the fewest overlay pairs, then comes first in order of
// preference; when none converts every cell, the first that converts the
// most. A sheet with transparent pixels and no -bg takes a background that
// no pixel uses (the lowest number free: black where it is free), so that
// every pixel stays visible, where such a choice converts every cell.
// -mixed: a cell of the background and one colour whose pairs differ is a
// hires sprite, which shows it exactly.
ColorChoice ChooseColors(const SheetColors& sheet, const FixedColors& fixed, const SpriteModes& modes);
