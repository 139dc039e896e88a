// The C64 colours that all sprites share, and their names on the console and
// in the source file.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

struct SharedColors {
    std::uint8_t background = 0;   // black
    std::uint8_t multicolor1 = 15; // light grey
    std::uint8_t multicolor2 = 1;  // white
};

// -overlay: a cell's overlay colour, or this for a cell of one sprite.
constexpr std::uint8_t kNoOverlay = 0xFF;

// "0 (black)".
Text ColorText(std::uint8_t color);

// "background 0 (black), multicolor 1: 11 (dark grey), multicolor 2: 1 (white)",
// or the background alone for hires sprites.
Text SharedColorsText(const SharedColors& colors, bool hires);
