// Writes the sprites as raw binary (-b): per sprite its 63 data bytes and the
// 64th byte as the source file writes it, so the bytes the source assembles to.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -b name was given, when the name is the
// source bitmap, the source file or the SpritePad file, or when the file
// cannot be created or written.
Refused WriteBinaryFile(const OutputOptions& options, const SpriteTable& table);
