// Writes the sprites as a Commodore BASIC V2 listing (-basic): plain upper-case
// ASCII, one program line per text line, as an emulator's paste or petcat
// reads it. RUN on a C64, it reads the sprites' bytes (those of -b) from DATA
// lines into the top of the VIC's first 16 KB, so that the last sprite ends
// at 16383 and sprite N is block 256 - count + N, and shows the first cells
// (up to eight sprites) side by side, each in its own colour and mode, an
// overlay over its sprite. Every line has at most 80 characters (the screen
// editor's limit); lines are numbered from 10 in steps of 10, DATA from 1000.
#pragma once

#include "output_file.hpp"
#include "sprite_table.hpp"

// Refuses the run with a message when no -basic name was given, when the name
// is the sheet or another output of the run, when the sheet has no sprites,
// when the program would reach the sprites it stores (it starts at 2049 and
// needs its variables' 28 bytes above it), or when the file cannot be created
// or written.
Refused WriteBasicFile(const OutputOptions& options, const SpriteTable& table);
