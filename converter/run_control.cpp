#include "run_control.hpp"

#include "runtime/console.hpp"

namespace {

void PrintLines(const std::vector<Text>& lines)
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

// A picture that cannot be converted: the unsupported-function lines and a
// wait for RETURN, with or without -p, for a program started by a double
// click. Under -errorlevel, for a build script, only -p waits.
void WaitAsUnsupported(const RunOptions& options)
{
    PrintLines({"> pixmold BETA VERSION !", "> ERROR: Function not supported yet..", ""});
    if (!options.errorLevel || options.waitForReturn) {
        PrintLine("> Press RETURN To Continue....");
        ReadLine();
    }
}

} // namespace

int EndRun(const RunOptions& options)
{
    WaitIfAsked(options);
    return 0;
}

int EndRefusedRun(const RunOptions& options, const Refusal& refusal)
{
    PrintLines(refusal.lines);
    if (refusal.kind == RefusalKind::kUnsupported) {
        WaitAsUnsupported(options);
    } else {
        WaitIfAsked(options);
    }
    return FailureCode(options);
}
