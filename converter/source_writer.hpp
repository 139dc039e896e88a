// Writes the sprites as assembler source: a title comment, 21 data lines with a
// picture of their pixel row, and an align line per sprite.
#pragma once

#include <cstdint>

#include "plane.hpp"
#include "run_control.hpp"
#include "sprite_grid.hpp"

// Ends the run with a message when no -d name was given or the file cannot be
// created or written.
void WriteSourceFile(const RunOptions& options, const SpriteTable& table);

// The lines of the file, built whole.
Text SourceHeaderLine(const RunOptions& options);
Text SourceSeparatorLine(const RunOptions& options);
Text SpriteTitleLine(const RunOptions& options, MachineWord spriteNumber, const SpriteCell& cell);
Text SpriteDataLine(const RunOptions& options, const SpriteCell& cell, std::size_t row);
Text SpriteAlignLine(const RunOptions& options);

// SpriteDataLine into a text the caller keeps, so that its storage is reused.
void BuildSpriteDataLine(const RunOptions& options, const SpriteCell& cell, std::size_t row, Text& line);
