// The driver: reads the command line into the run's options and runs the
// phases in order. It alone ends a run.
#pragma once

#include <vector>

#include "runtime/console.hpp"
#include "runtime/files.hpp"

// The whole run, from the banner to the end of the program.
[[noreturn]] void RunConverter();

// A run without a process: the parameters as a command line gives them, the
// console lines, every file (the inputs given, then the outputs written) and
// the exit code the program would end with.
struct MemoryRun {
    int exitCode = 0;
    ConsoleCapture console;
    std::vector<MemoryFile> files;
};

// Runs the converter on the parameters, reading and writing files only in
// files; nothing of the process is touched.
MemoryRun RunInMemory(const std::vector<Text>& parameters, std::vector<MemoryFile> files);
