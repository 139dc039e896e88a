// Opening and closing an output file, with the checks and messages every
// writer shares. Each failure prints its line and ends the run.
#pragma once

#include "run_control.hpp"
#include "runtime/files.hpp"
#include "sprite_table.hpp"

// A file an output must not be written over, and the line that refuses it
// (followed by the output's name). An empty refusal tests nothing.
struct ProtectedFile {
    Text name;
    Text refusal;
};

// Refuses an empty name (with missingNameLine), a name that is the source
// bitmap, then one that is a protected file; then creates the file, or
// empties it, for writing.
FileHandle OpenOutputFile(const RunOptions& options, const Text& name, const Text& missingNameLine,
                          std::initializer_list<ProtectedFile> protectedFiles = {});

// Writes every sprite as 64 bytes: its 63 data bytes, then its attribute
// byte, or 0 when withAttributes is false.
void WriteSpriteRecords(FileHandle file, const SpriteTable& table, bool withAttributes);

// Closes the file; ends the run when not every byte written reached it.
void CloseOutputFile(const RunOptions& options, FileHandle file, const Text& name);
