// The run's options and its ends: what the command line asked for, and the
// ways a run ends, each with its exit code.
#pragma once

#include <cstdint>
#include <optional>

#include "refusal.hpp"
#include "runtime/text.hpp"

struct RunOptions {
    Text sourceFile;
    Text sourceOutputFile;
    Text spritePadFile;
    Text binaryFile;
    Text previewFile;
    Text programFile;
    Text cFile;
    Text basicFile;
    bool exportSpritePad = false;
    bool exportBinary = false; // -b: the sprites as raw binary
    bool exportPreview = false; // -preview: a picture of what the C64 shows
    bool exportProgram = false; // -prg: a C64 program file
    bool exportC = false;       // -c: C source
    bool exportBasic = false;   // -basic: a BASIC listing
    bool errorLevel = false;   // -errorlevel: exit code 1 for a run that ends with an error line
    bool waitForReturn = false;
    bool hexOutput = false;
    bool verbose = false;
    bool showCredits = false;
    bool showUsage = false;
    bool hiresSprites = false; // -hires: single-colour sprites, one bit per picture column
    bool realColors = false;   // -colors, -bg, -mc: the picture's colours, not its indexes
    bool overlay = false;      // -overlay: a cell may become a multicolour sprite under a hires one
    bool mixed = false;        // -mixed: each cell a hires or a multicolour sprite, whichever shows it
    std::optional<Text> fixedBackground;  // -bg N as given
    std::optional<Text> fixedMulticolors; // -mc N,M as given
    std::optional<Text> loadAddress;      // -addr N as given
    std::optional<Text> label;            // -label name as given
    std::optional<Text> objectSize;       // -object WxH as given
    std::uint8_t countedOptions = 0; // one byte: 256 counted options wrap to 0
    Text commentMarker = "//";
    Text byteDirective = ".byte";
};

// The end of a run that did what it was asked: the -p wait; exit code 0.
int EndRun(const RunOptions& options);

// The end of a run that a phase refused: its lines, then the -p wait and exit
// code 1 under -errorlevel (0 without). A picture that cannot be converted
// (RefusalKind::kUnsupported) adds the unsupported-function lines and a wait
// for RETURN, with or without -p, for a program started by a double click;
// under -errorlevel, for a build script, only -p waits.
int EndRefusedRun(const RunOptions& options, const Refusal& refusal);
