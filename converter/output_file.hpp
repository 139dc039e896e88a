// The outputs' options, and opening and closing an output file with the
// checks and messages every writer shares. Each failure is a refusal.
#pragma once

#include <cstdint>

#include "refusal.hpp"
#include "runtime/files.hpp"
#include "sprite_table.hpp"

// What the writers are asked for: the files' names (the sheet's too, which
// no output may overwrite) and how the source and the console show the sprites.
struct OutputOptions {
    Text sourceFile; // the sheet
    Text sourceOutputFile;
    Text spritePadFile;
    Text binaryFile;
    Text previewFile;
    Text programFile;
    Text cFile;
    Text basicFile;
    Text commentMarker;
    Text byteDirective;
    bool hexOutput = false;
    bool verbose = false;
    bool realColors = false;   // the attribute bytes and the shared colours are the sheet's
    bool hiresSprites = false;
    std::uint16_t loadAddress = 0; // -prg
    Text name;                     // of the sprites in the C file and the BASIC listing
    bool labels = false;           // -label: the source names the sprites
};

// Refuses an empty name (with missingNameLine), a name that is the source
// bitmap, then one that is an output the run writes before this one
// ("> Error: C file is the program file: o.c"); then creates the file, or
// empties it, for writing. name is the output's member of the options.
Outcome<FileHandle> OpenOutputFile(const OutputOptions& options, Text OutputOptions::*name,
                                   const Text& missingNameLine);

// Writes every sprite as 64 bytes: its 63 data bytes, then its attribute
// byte, or 0 when withAttributes is false.
void WriteSpriteRecords(FileHandle file, const SpriteTable& table, bool withAttributes);

// What a sprite's 64th byte holds, in words: "align byte", or with -colors
// the attribute byte's own colour, the mode (but for -hires) and the sprite of
// an overlay pair that lies over or under this one ("sprite color 2 (red),
// multicolor").
Text LastByteText(const OutputOptions& options, MachineWord spriteNumber, const Sprite& sprite, bool overlaid);

// Closes the file; refuses the run when not every byte written reached it.
Refused CloseOutputFile(FileHandle file, const Text& name);

// Closes an export file, then shows the exporting line and the file saved.
Refused FinishExport(FileHandle file, const Text& name, const Text& exportingLine);
