// Writes the sprites as a SpritePad file: three colour bytes, then per sprite
// its 63 data bytes and an attribute byte.
#pragma once

#include "run_control.hpp"
#include "sprite_grid.hpp"

constexpr std::uint8_t kSpritePadBackground = 0;   // black
constexpr std::uint8_t kSpritePadMulticolor1 = 15; // light grey
constexpr std::uint8_t kSpritePadMulticolor2 = 1;  // white
constexpr std::uint8_t kSpritePadAttribute = 140;  // multicolour, sprite colour 12 (grey)
constexpr std::uint8_t kSpritePadHiresAttribute = 12; // single-colour, sprite colour 12

// Ends the run with a message when no -e name was given, when the name is the
// source bitmap or the source file, or when the file cannot be created or written.
void WriteSpritePadFile(const RunOptions& options, const SpriteTable& table);
