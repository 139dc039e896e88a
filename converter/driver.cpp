#include "driver.hpp"

#include "bitmap_reader.hpp"
#include "runtime/console.hpp"
#include "source_writer.hpp"
#include "sprite_grid.hpp"
#include "spritepad_writer.hpp"

namespace {

const Text kProgramName = "pixmold";
// The 32-bit build has always carried its own build number.
const Text kVersionText = sizeof(void*) == 8 ? " V0.3.442 BETA written 2013 by " : " V0.3.440 BETA written 2013 by ";
const Text kAuthorText = "-zarn of QTV";
const Text kGroupText = "Mossgrove";

void CountOption(RunOptions& options)
{
    options.countedOptions = static_cast<std::uint8_t>(options.countedOptions + 1);
}

void PrintUsage()
{
    PrintLine("> Usage: " + kProgramName + "xx.exe -s <sourcefile> -d <destination file> <parameter List>");
    PrintLine("");
    PrintLine(">   -? -h -help This helptext.");
    PrintLine(">   -s    <sourcefile> uncompressed 256color bitmap file.");
    PrintLine(">   -d    <outputfile> for sourcecode");
    PrintLine(">   -e    <outputfile> for SpritePad data");
    PrintLine(">   -p    waits for <RETURN> key after execution.");
    PrintLine(">   -v    some gfx output. WILD");
    PrintLine(">   -hex  toggles to hex output mode.");
    PrintLine(">   -acme toggles to acme compiler output mode.");
    PrintLine("");
    PrintLine("");
}

// Twenty lines of 67 characters or a lone ">".
const char* const kCreditsScreen[] = {
    ">+----------------------------------------------------------------+",
    ">|  pixmold - sprite sheets into Commodore 64 multicolour sprites |",
    ">|                                                                |",
    ">|  Draw on the PC, cut into 24 x 21 cells, 63 bytes for each.    |",
    ">|  Colour indexes 0 to 3 become the sprite's bit pairs, index    |",
    ">|  255 reads as 0, and every other index is refused by name.     |",
    ">|  Out come assembler source for your cross-assembler and a      |",
    ">|  SpritePad file to go on editing the sprites.                  |",
    ">+----------------------------------------------------------------+",
    ">",
    ">+----------------------------------------------------------------+",
    ">|  Made by the pixmold developers for everyone who still draws   |",
    ">|  with fat pixels, four colours and a steady raster.            |",
    ">|  Keep the border black and the sprites multicolour.            |",
    ">+----------------------------------------------------------------+",
    ">",
    ">  Thanks for watching.  Go on then, the raster bars are all yours.",
    ">",
    ">",
    ">                                                     <PRESS ENTER>",
};

[[noreturn]] void ShowCredits()
{
    for (const char* line : kCreditsScreen) {
        PrintLine(line);
    }
    ReadLine();
    EndProgram();
}

} // namespace

Text BannerText()
{
    return kProgramName + kVersionText + kAuthorText + " | " + kGroupText;
}

void ReadOptions(RunOptions& options)
{
    for (;;) {
        const Text parameter = NextParameter();
        if (TextEquals(parameter, "-?") || TextEquals(parameter, "-help") || TextEquals(parameter, "-h")) {
            options.showUsage = 1;
            CountOption(options);
        } else if (TextEquals(parameter, "-s")) {
            options.sourceFile = NextParameter();
            CountOption(options);
        } else if (TextEquals(parameter, "-d")) {
            options.sourceOutputFile = NextParameter();
            CountOption(options);
        } else if (TextEquals(parameter, "-p")) {
            options.waitForReturn = 1;
        } else if (TextEquals(parameter, "-hex")) {
            options.hexOutput = 1;
            CountOption(options);
        } else if (TextEquals(parameter, "-acme")) {
            options.commentMarker = ";";
            options.byteDirective = "!byte";
            CountOption(options);
        } else if (TextEquals(parameter, "-v")) {
            options.verbose = 1;
            CountOption(options);
        } else if (TextEquals(parameter, "-7305")) {
            options.showCredits = 1;
            CountOption(options);
        } else if (TextEquals(parameter, "-e")) {
            options.spritePadFile = NextParameter();
            options.exportSpritePad = 1;
            CountOption(options);
        }
        if (TextEquals(parameter, "")) {
            return;
        }
    }
}

void RunConverter()
{
    RunOptions& options = CurrentRunOptions();
    options = RunOptions();
    SourceBitmap bitmap;
    SpriteTable sprites;

    const Text banner = BannerText();
    if (!OpenConsoleSession(banner)) {
        Quit(1);
    }
    PrintLine(banner);
    PrintLine("");

    ReadOptions(options);
    if (options.showCredits == 1) {
        ShowCredits();
    }
    if (options.countedOptions == 0) {
        options.showUsage = 1;
    }
    if (options.showUsage == 1) {
        PrintUsage();
        Quit(1);
    }

    LoadSourceBitmap(options, bitmap);
    ConvertSprites(options, bitmap, sprites);
    WriteSourceFile(options, sprites);
    if (options.exportSpritePad == 1) {
        WriteSpritePadFile(options, sprites);
    }
    Quit(1);
    EndProgram(); // Quit(1) does not return; this keeps the compiler sure of it
}
