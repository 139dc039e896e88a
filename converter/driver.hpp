// Run control: the options of the command line, the order of the run and its end.
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
    std::uint8_t countedOptions = 0; // one byte: 256 counted options wrap to 0
    Text commentMarker = "//";
    Text byteDirective = ".byte";
};

// 1: wait for RETURN when -p was given, then end the program.
// 2: the unsupported-picture lines, an unconditional wait, then the end.
// 0: only the -p wait. Any other mode does nothing.
void Quit(std::int32_t mode);

// The banner: program name, version, author and group.
Text BannerText();

// Reads the command line into options, stopping at the first empty parameter.
void ReadOptions(RunOptions& options);

// The whole run, from the banner to the end of the program; never returns.
[[noreturn]] void RunConverter();
