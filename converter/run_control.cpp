#include "run_control.hpp"

#include "runtime/console.hpp"

namespace {

void PrintLines(std::initializer_list<Text> lines)
{
    for (const Text& line : lines) {
        PrintLine(line);
    }
}

// The wait of -p, before the program ends.
void WaitIfAsked(const RunOptions& options)
{
    if (options.waitForReturn) {
        PrintLine("> Press RETURN to continue....");
        ReadLine();
    }
}

} // namespace

void EndRun(const RunOptions& options)
{
    WaitIfAsked(options);
    EndProgram(0);
}

void FailRun(const RunOptions& options, std::initializer_list<Text> lines)
{
    PrintLines(lines);
    WaitIfAsked(options);
    EndProgram(0);
}

void FailUnsupportedRun(const RunOptions&, std::initializer_list<Text> lines)
{
    PrintLines(lines);
    PrintLines({"> pixmold BETA VERSION !", "> ERROR: Function not supported yet..", "",
                "> Press RETURN To Continue...."});
    ReadLine();
    EndProgram(0);
}
