// The run's options and its end: what the command line asked for, and Quit,
// which every phase calls to end the run.
#pragma once

#include <cstdint>

#include "runtime/text.hpp"

struct RunOptions {
    Text sourceFile;
    Text sourceOutputFile;
    Text spritePadFile;
    int exportSpritePad = 0;
    int waitForReturn = 0;
    int hexOutput = 0;
    int verbose = 0;
    int showCredits = 0;
    int showUsage = 0;
    int hiresSprites = 0; // -hires: single-colour sprites, one bit per picture column
    std::uint8_t countedOptions = 0; // one byte: 256 counted options wrap to 0
    Text commentMarker = "//";
    Text byteDirective = ".byte";
};

// The options of this run. The driver reads the command line into them; Quit
// consults them for the -p wait, whenever it is called.
RunOptions& CurrentRunOptions();

// 1: wait for RETURN when -p was given, then end the program.
// 2: the unsupported-picture lines, an unconditional wait, then the end.
// 0: only the -p wait. Any other mode does nothing.
void Quit(std::int32_t mode);
