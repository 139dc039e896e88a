// Writes the sprites as a SpritePad file: three colour bytes, then per sprite
// its 63 data bytes and an attribute byte.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -e name was given, when the name is the
// source bitmap or the source file, or when the file cannot be created or written.
Refused WriteSpritePadFile(const OutputOptions& options, const SpriteTable& table);
