// Writes the sprites as C source (-c) that cc65 and the C99 compilers of the
// C64 accept: the sprite count and, with -colors, the shared colours as
// constants, the sprites as a const unsigned char array of 64 bytes each
// (the bytes of -b), and with -colors each sprite's own colour. One file, to
// include once or to compile on its own. For the name "sprites" (options.name):
// SPRITES_COUNT, SPRITES_BACKGROUND, SPRITES_MULTICOLOR1 and 2, the array
// sprites and the array sprites_colors.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -c name was given, when the name is
// the sheet or another output of the run, when the sheet has no sprites (C
// has no empty arrays), or when the file cannot be created or written.
Refused WriteCFile(const OutputOptions& options, const SpriteTable& table);
