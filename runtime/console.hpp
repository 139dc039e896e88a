// Console, command-line parameters, and the start and end of the runtime.
#pragma once

#include <cstdint>
#include <vector>

#include "text.hpp"

// Brings up the runtime; argc and argv are the process's own (unused on
// platforms that hand over the raw command line instead).
void StartRuntime(int argc, char** argv);

// Shows the title where the platform can, and has every open file flushed and
// closed when the console goes away (its window closed, its terminal hung up).
void OpenConsoleSession(const Text& title);

// Writes text and CR LF with one write, flushed at once.
void PrintLine(const Text& text = Text());

// One line of input without its line end; kEndOfInput at the end of the input.
Text ReadLine();
inline const Text kEndOfInput = Text(1, '\x04');

// How far the command line has been read; the first parameter after the
// program's path is number 0.
struct ParameterCursor {
    std::int32_t next = 0;
};

// The parameter at the cursor, which moves on past it; the empty text, and
// the cursor stays, when none is left.
Text NextParameter(ParameterCursor& cursor);

// A run without a process: the parameters it reads instead of the command
// line's, and the lines it prints instead of the console. Its input has
// ended: every ReadLine gives kEndOfInput.
struct ConsoleCapture {
    std::vector<Text> parameters;
    std::vector<Text> lines;
};

// From now on, until called with nullptr, the console is capture.
void CaptureConsole(ConsoleCapture* capture);

// Flushes and closes every open file and ends the process with exitCode.
[[noreturn]] void EndProgram(int exitCode);
