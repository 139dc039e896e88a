// pixmold: converts a BMP sprite sheet into C64 sprites, written as assembler
// source and as a SpritePad file.
#include "driver.hpp"
#include "runtime/console.hpp"

int main(int argc, char** argv)
{
    StartRuntime(argc, argv);
    RunConverter();
}
