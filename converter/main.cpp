// pixmold: converts an 8-bit palette BMP sprite sheet into C64 multicolour
// sprites, written as assembler source and as a SpritePad file.
#include <new>

#include "driver.hpp"
#include "runtime/console.hpp"

int main(int argc, char** argv)
{
    StartRuntime(argc, argv);
    try {
        RunConverter();
    } catch (const std::bad_alloc&) {
        // The one place where running out of memory is turned into a message.
        PrintLine("> Error: Out of memory.");
        Quit(1);
    }
    EndProgram();
}
