// Writes the sprites as assembler source: a title comment, 21 data lines with a
// picture of their pixel row, and an align line per sprite.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -d name was given or the file cannot be
// created or written.
Refused WriteSourceFile(const OutputOptions& options, const SpriteTable& table);
