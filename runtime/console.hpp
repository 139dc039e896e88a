// Console, command-line parameters, and the start and end of the runtime.
#pragma once

#include <cstdint>

#include "command_line.hpp" // the splitter behind NextParameter where the platform hands over a raw line
#include "text.hpp"

// Brings up the runtime; argc and argv are the process's own (unused on
// platforms that hand over the raw command line instead).
void StartRuntime(int argc, char** argv);

// Sets the console title and the close-event handling; always reports 1.
int OpenConsoleSession(const Text& title);

// Writes text and CR LF with one write, flushed at once.
void PrintLine(const Text& text = Text());

// One line of input without its line end; the single byte 0x04 at end of input.
Text ReadLine();

// The next command-line parameter, or the empty text when none is left.
Text NextParameter();

// Closes every open file and ends the process with exit code 0.
[[noreturn]] void EndProgram();

// Handles a console control event; type 2 (the console is closed) closes every
// open file first. Always 0: the platform's default handling ends the process.
int ConsoleControlHandler(std::uint32_t eventType);

// Ends-of-input text returned by ReadLine.
inline const Text kEndOfInput = Text(1, '\x04');
