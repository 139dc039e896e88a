// Writes what the C64 shows of the sprites (-preview): a 16-colour PNG as
// large as the sheet, each sprite where its cell is.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -preview name was given, when the name
// is the sheet or another output of the run, or when the file cannot be
// created or written.
Refused WritePreviewFile(const OutputOptions& options, const SpriteTable& table);
