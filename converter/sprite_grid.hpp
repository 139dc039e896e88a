// Cuts the picture into 24 x 21 cells and encodes each as a C64 sprite of 63
// bytes: multicolour, or hires (single-colour) with -hires.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture.hpp"
#include "refusal.hpp"
#include "sprite_table.hpp"

// What the sprites are made of and how: colour indexes or with -colors C64
// colours, multicolour or hires sprites, overlay pairs, -v.
struct SpriteOptions {
    bool realColors = false;
    bool hiresSprites = false;
    bool overlay = false;
    bool verbose = false;
    bool mixed = false;
};

// The whole phase: the progress line, the multicolour test (which refuses a
// picture without index 2 or 3 as unsupported; with -colors there is none),
// then the cells and their encoding. With -colors the pixels are C64 colours,
// shown by the shared colours and each sprite's own; overlays holds each
// cell's overlay colour (-overlay), or is empty; hiresCells (-mixed) 1 for
// each cell that is a hires sprite, or is empty.
Outcome<SpriteTable> ConvertSprites(const SpriteOptions& options, const SourceBitmap& bitmap,
                                    const SharedColors& colors, const std::vector<std::uint8_t>& overlays,
                                    const std::vector<std::uint8_t>& hiresCells = {});

// Appends row 0-20 of the cell drawn as 24 characters: "." for index 0, else
// the index's digit, odd columns included.
void AppendPreviewText(const Sprite& sprite, std::size_t row, Text& text);
