// Recognising the 16 C64 colours in RGB values: one value at a time by the
// nearest known palette entry, or a whole colour table at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

constexpr std::uint8_t kC64ColorCount = 16;
using Rgb = std::uint32_t; // 0xRRGGBB

// The colour's name: "black", "white", ..., "light grey".
const char* C64ColorName(std::uint8_t color);

// The C64 colour an RGB value stands for: the values of the well-known palettes exactly, any other the nearest.
std::uint8_t NearestC64Color(Rgb rgb);

// The C64 colour of each entry of a palette, and when the palette was recognised as a whole, the value of each C64
// colour in it.
struct EntryColors {
    std::vector<std::uint8_t> colors;
    std::optional<std::array<Rgb, kC64ColorCount>> values;
};

// When the entries hold exactly 16 distinct colours that form a C64 palette (in any order, entries repeated or not),
// one C64 colour per entry (equal RGB values get equal colours, distinct ones distinct colours); otherwise none.
// Pure black (0x000000) as a 17th colour is taken for padding: the other 16 are matched, and it gets black.
std::optional<EntryColors> MatchC64Palette(const std::vector<Rgb>& entries);

// The C64 palettes the recognition knows, in C64 colour order.
std::span<const std::array<Rgb, kC64ColorCount>> C64ReferencePalettes();

// How far 16 distinct colours lie from the known palette that fits them best, but the one numbered leftOut; 16
// colours that cost more than the limit are not taken for a C64 palette.
double C64PaletteCost(const std::vector<Rgb>& colors, std::size_t leftOut);
constexpr std::int64_t kC64PaletteCostLimit = 520;
