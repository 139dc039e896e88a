// Recognising the 16 C64 colours in RGB values: one value at a time by the
// nearest known palette entry, or a whole colour table at once.
#pragma once

#include <cstdint>
#include <vector>

constexpr std::uint8_t kC64ColorCount = 16;
using Rgb = std::uint32_t; // 0xRRGGBB

// The colour's name: "black", "white", ..., "light grey".
const char* C64ColorName(std::uint8_t color);

// The C64 colour an RGB value stands for: the values of the well-known palettes exactly, any other the nearest.
std::uint8_t NearestC64Color(Rgb rgb);

// When the entries hold exactly 16 distinct colours that form a C64 palette (in any order, entries repeated or not),
// sets colors to one C64 colour per entry (same size as entries; equal RGB values get equal colours, distinct ones
// distinct colours) and returns true; otherwise returns false and leaves colors empty.
// Pure black (0x000000) as a 17th colour is taken for padding: the other 16 are matched, and it gets black.
bool MatchC64Palette(const std::vector<Rgb>& entries, std::vector<std::uint8_t>& colors);
