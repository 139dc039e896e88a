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

// Without -errorlevel every run ends with exit code 0, as scripts may expect.
int FailureCode(const RunOptions& options)
{
    return options.errorLevel ? 1 : 0;
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
    EndProgram(FailureCode(options));
}

void FailUnsupportedRun(const RunOptions& options, std::initializer_list<Text> lines)
{
    PrintLines(lines);
    PrintLines({"> pixmold BETA VERSION !", "> ERROR: Function not supported yet..", ""});
    if (!options.errorLevel || options.waitForReturn) {
        PrintLine("> Press RETURN To Continue....");
        ReadLine();
    }
    EndProgram(FailureCode(options));
}
