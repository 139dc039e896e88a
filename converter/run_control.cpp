#include "run_control.hpp"

#include "runtime/console.hpp"

namespace {

RunOptions runOptions;

} // namespace

RunOptions& CurrentRunOptions()
{
    return runOptions;
}

void Quit(std::int32_t mode)
{
    switch (mode) {
    case 0:
    case 1:
        if (runOptions.waitForReturn == 1) {
            PrintLine("> Press RETURN to continue....");
            ReadLine();
        }
        if (mode == 1) {
            EndProgram();
        }
        return;
    case 2:
        PrintLine("> pixmold BETA VERSION !");
        PrintLine("> ERROR: Function not supported yet..");
        PrintLine("");
        PrintLine("> Press RETURN To Continue....");
        ReadLine();
        EndProgram();
    default:
        return;
    }
}
