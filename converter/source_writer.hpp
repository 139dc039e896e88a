// Writes the sprites as assembler source: a title comment, 21 data lines with a
// picture of their pixel row, and an align line per sprite.
#pragma once

#include "run_control.hpp"
#include "sprite_table.hpp"

// Ends the run with a message when no -d name was given or the file cannot be
// created or written.
void WriteSourceFile(const RunOptions& options, const SpriteTable& table);
