#include "driver.hpp"

#include <new>
#include <utility>

#include "basic_writer.hpp"
#include "binary_writer.hpp"
#include "c_writer.hpp"
#include "color_choice.hpp"
#include "color_report.hpp"
#include "labels.hpp"
#include "object_order.hpp"
#include "preview_writer.hpp"
#include "program_writer.hpp"
#include "run_control.hpp"
#include "runtime/console.hpp"
#include "sheet_reader.hpp"
#include "source_writer.hpp"
#include "sprite_grid.hpp"
#include "spritepad_writer.hpp"

namespace {

const Text kProgramName = "pixmold";
// The 32-bit build has always carried its own build number.
const Text kVersionText = sizeof(void*) == 8 ? " V0.3.442 BETA written 2013 by " : " V0.3.440 BETA written 2013 by ";
const Text kAuthorText = "-zarn of QTV";
const Text kGroupText = "Mossgrove";

// One byte, so 256 counted options wrap to none.
void CountOption(RunOptions& options)
{
    ++options.countedOptions;
}

// Whether an option counts towards "some option was given" (all but -p).
enum OptionCounting { kNotCounted, kCounted };
// Whether an option takes the next parameter (a file name or a value).
enum OptionNaming { kNoName, kTakesName };

struct OptionEntry {
    const char* word;
    OptionCounting counting;
    OptionNaming naming;
    void (*apply)(RunOptions& options, const Text& name); // name is empty without kTakesName
};

void SetShowUsage(RunOptions& options, const Text&)
{
    options.showUsage = true;
}

void SetAcmeSyntax(RunOptions& options, const Text&)
{
    options.commentMarker = ";";
    options.byteDirective = "!byte";
}

// ca65 and 64tass read ";" comments and the ".byte" directive.
void SetCa65Syntax(RunOptions& options, const Text&)
{
    options.commentMarker = ";";
    options.byteDirective = ".byte";
}

// -bg and -mc take their value as given; the colour choice checks it.
void SetFixedBackground(RunOptions& options, const Text& value)
{
    options.fixedBackground = value;
    options.realColors = true;
}

void SetFixedMulticolors(RunOptions& options, const Text& value)
{
    options.fixedMulticolors = value;
    options.realColors = true;
}

// -overlay and -mixed imply -colors.
template <bool RunOptions::*mode> void SetColorMode(RunOptions& options, const Text&)
{
    options.*mode = true;
    options.realColors = true;
}

// An output named by its option, which the run then writes.
template <Text RunOptions::*name, bool RunOptions::*wanted> void SetOutputFile(RunOptions& options, const Text& file)
{
    options.*name = file;
    options.*wanted = true;
}

// Compared in this order; options are case-sensitive. The usage text lists them
// in an order of its own, and leaves out -7305 (the credits screen).
const OptionEntry kOptions[] = {
    {"-?", kCounted, kNoName, SetShowUsage},
    {"-help", kCounted, kNoName, SetShowUsage},
    {"-h", kCounted, kNoName, SetShowUsage},
    {"-s", kCounted, kTakesName, [](RunOptions& options, const Text& name) { options.sourceFile = name; }},
    {"-d", kCounted, kTakesName, [](RunOptions& options, const Text& name) { options.sourceOutputFile = name; }},
    {"-p", kNotCounted, kNoName, [](RunOptions& options, const Text&) { options.waitForReturn = true; }},
    {"-hex", kCounted, kNoName, [](RunOptions& options, const Text&) { options.hexOutput = true; }},
    {"-acme", kCounted, kNoName, SetAcmeSyntax},
    {"-v", kCounted, kNoName, [](RunOptions& options, const Text&) { options.verbose = true; }},
    {"-7305", kCounted, kNoName, [](RunOptions& options, const Text&) { options.showCredits = true; }},
    {"-e", kCounted, kTakesName, SetOutputFile<&RunOptions::spritePadFile, &RunOptions::exportSpritePad>},
    {"-hires", kCounted, kNoName, [](RunOptions& options, const Text&) { options.hiresSprites = true; }},
    {"-ca65", kCounted, kNoName, SetCa65Syntax},
    {"-colors", kCounted, kNoName, [](RunOptions& options, const Text&) { options.realColors = true; }},
    {"-bg", kCounted, kTakesName, SetFixedBackground},
    {"-mc", kCounted, kTakesName, SetFixedMulticolors},
    {"-b", kCounted, kTakesName, SetOutputFile<&RunOptions::binaryFile, &RunOptions::exportBinary>},
    {"-errorlevel", kCounted, kNoName, [](RunOptions& options, const Text&) { options.errorLevel = true; }},
    {"-overlay", kCounted, kNoName, SetColorMode<&RunOptions::overlay>},
    {"-mixed", kCounted, kNoName, SetColorMode<&RunOptions::mixed>},
    {"-preview", kCounted, kTakesName, SetOutputFile<&RunOptions::previewFile, &RunOptions::exportPreview>},
    {"-prg", kCounted, kTakesName, SetOutputFile<&RunOptions::programFile, &RunOptions::exportProgram>},
    {"-c", kCounted, kTakesName, SetOutputFile<&RunOptions::cFile, &RunOptions::exportC>},
    {"-addr", kCounted, kTakesName, [](RunOptions& options, const Text& value) { options.loadAddress = value; }},
    {"-basic", kCounted, kTakesName, SetOutputFile<&RunOptions::basicFile, &RunOptions::exportBasic>},
    {"-label", kCounted, kTakesName, [](RunOptions& options, const Text& name) { options.label = name; }},
    {"-object", kCounted, kTakesName, [](RunOptions& options, const Text& size) { options.objectSize = size; }},
};

const OptionEntry* FindOption(const Text& parameter)
{
    for (const OptionEntry& option : kOptions) {
        if (TextEquals(parameter, option.word)) {
            return &option;
        }
    }
    return nullptr;
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

int ShowCredits()
{
    for (const char* line : kCreditsScreen) {
        PrintLine(line);
    }
    ReadLine();
    return 0;
}

Text BannerText()
{
    return kProgramName + kVersionText + kAuthorText + " | " + kGroupText;
}

// Reads the command line into options, up to its end or its first empty
// parameter.
void ReadOptions(RunOptions& options)
{
    ParameterCursor cursor;
    for (;;) {
        const Text parameter = NextParameter(cursor);
        if (const OptionEntry* option = FindOption(parameter)) {
            // A name option takes the next parameter, whatever it is.
            option->apply(options, option->naming == kTakesName ? NextParameter(cursor) : Text());
            if (option->counting == kCounted) {
                CountOption(options);
            }
        }
        if (TextEquals(parameter, "")) {
            return;
        }
    }
}

SheetOptions SheetOptionsOf(const RunOptions& options)
{
    return {options.realColors, options.hiresSprites};
}

ColorOptions ColorOptionsOf(const RunOptions& options)
{
    return {options.hiresSprites, options.overlay, options.mixed, options.fixedBackground, options.fixedMulticolors};
}

SpriteOptions SpriteOptionsOf(const RunOptions& options)
{
    return {options.realColors, options.hiresSprites, options.overlay, options.verbose, options.mixed};
}

OutputOptions OutputOptionsOf(const RunOptions& options, std::uint16_t loadAddress, const Text& name)
{
    return {options.sourceFile,    options.sourceOutputFile, options.spritePadFile, options.binaryFile,
            options.previewFile,   options.programFile,      options.cFile,         options.basicFile,
            options.commentMarker, options.byteDirective,    options.hexOutput,     options.verbose,
            options.realColors,    options.hiresSprites,     loadAddress,           name,
            options.label.has_value()};
}

// The source file, unless -b, -prg, -c or -basic alone names an output
// (without any of them and -d the source writer reports the missing name);
// then the SpritePad and binary files, the preview, the program file, the C
// file and the BASIC listing.
// The first refusal stops the rest.
Refused WriteOutputs(const OutputOptions& outputs, const RunOptions& options, const SpriteTable& sprites)
{
    Refused refused;
    if (!(options.exportBinary || options.exportProgram || options.exportC || options.exportBasic) ||
        !TextEquals(options.sourceOutputFile, "")) {
        refused = WriteSourceFile(outputs, sprites);
    }
    if (!refused && options.exportSpritePad) {
        refused = WriteSpritePadFile(outputs, sprites);
    }
    if (!refused && options.exportBinary) {
        refused = WriteBinaryFile(outputs, sprites);
    }
    if (!refused && options.exportPreview) {
        refused = WritePreviewFile(outputs, sprites);
    }
    if (!refused && options.exportProgram) {
        refused = WriteProgramFile(outputs, sprites);
    }
    if (!refused && options.exportC) {
        refused = WriteCFile(outputs, sprites);
    }
    if (!refused && options.exportBasic) {
        refused = WriteBasicFile(outputs, sprites);
    }
    return refused;
}

// -colors: the shared colours and the overlay pairs, chosen and reported; in
// index mode the fixed colours and none. The cells come in the files in
// order (-object).
Outcome<ColorChoice> ChooseSheetColors(const RunOptions& options, const SourceBitmap& bitmap,
                                       const FixedColors& fixed, const std::vector<std::size_t>& order)
{
    if (!options.realColors) {
        return ColorChoice{};
    }
    const SpriteModes modes{options.hiresSprites, options.overlay, options.mixed};
    const SheetColors sheet = ScanSheetColors(bitmap, modes);
    ColorChoice choice = ChooseColors(sheet, fixed, modes);
    if (Refused refused = ReportColorChoice(options.hiresSprites, bitmap, sheet, choice, order)) {
        return *refused;
    }
    return choice;
}

// What the options ask for that can be checked before the sheet is read.
struct RunSettings {
    FixedColors fixed;
    std::uint16_t loadAddress = 0;
    Text label;
    ObjectSize object;
};

Outcome<RunSettings> ReadRunSettings(const RunOptions& options)
{
    RunSettings settings;
    const Outcome<FixedColors> fixed = ReadFixedColors(ColorOptionsOf(options));
    const Outcome<std::uint16_t> loadAddress = ReadLoadAddress(options.loadAddress);
    const Outcome<Text> label = ReadLabel(options.label);
    const Outcome<ObjectSize> object = ReadObjectSize(options.objectSize);
    for (const Refusal* refusal : {RefusalOf(fixed), RefusalOf(loadAddress), RefusalOf(label), RefusalOf(object)}) {
        if (refusal != nullptr) {
            return *refusal;
        }
    }
    return RunSettings{std::get<FixedColors>(fixed), std::get<std::uint16_t>(loadAddress), std::get<Text>(label),
                       std::get<ObjectSize>(object)};
}

// The sheet's cells in the order of the files.
Outcome<std::vector<std::size_t>> CellOrder(const SourceBitmap& sheet, const ObjectSize& object)
{
    return ObjectOrder(sheet.width / MachineWord{kSpriteWidth}, sheet.height / MachineWord{kSpriteHeight}, object);
}

// The phases in order, each handing on what it found; the first refusal
// ends the run.
int Convert(const RunOptions& options)
{
    const Outcome<RunSettings> read = ReadRunSettings(options);
    if (const Refusal* refusal = RefusalOf(read)) {
        return EndRefusedRun(options, *refusal);
    }
    const RunSettings& settings = std::get<RunSettings>(read);
    Outcome<SourceBitmap> bitmap = LoadSourceBitmap(options.sourceFile, SheetOptionsOf(options));
    if (const Refusal* refusal = RefusalOf(bitmap)) {
        return EndRefusedRun(options, *refusal);
    }
    SourceBitmap& sheet = std::get<SourceBitmap>(bitmap);
    Outcome<std::vector<std::size_t>> order = CellOrder(sheet, settings.object);
    if (const Refusal* refusal = RefusalOf(order)) {
        return EndRefusedRun(options, *refusal);
    }
    const Outcome<ColorChoice> choice =
        ChooseSheetColors(options, sheet, settings.fixed, std::get<std::vector<std::size_t>>(order));
    if (const Refusal* refusal = RefusalOf(choice)) {
        return EndRefusedRun(options, *refusal);
    }
    const ColorChoice& colors = std::get<ColorChoice>(choice);
    Outcome<SpriteTable> sprites =
        ConvertSprites(SpriteOptionsOf(options), sheet, colors.colors, colors.overlays, colors.hiresCells);
    if (const Refusal* refusal = RefusalOf(sprites)) {
        return EndRefusedRun(options, *refusal);
    }
    PixelPlane().swap(sheet.pixels); // the sprites hold all that the outputs need
    std::get<SpriteTable>(sprites).order = std::move(std::get<std::vector<std::size_t>>(order));
    const OutputOptions outputs = OutputOptionsOf(options, settings.loadAddress, settings.label);
    if (Refused refused = WriteOutputs(outputs, options, std::get<SpriteTable>(sprites))) {
        return EndRefusedRun(options, *refused);
    }
    return EndRun(options);
}

// The banner, the options, then the credits, the usage or the conversion.
int Run(RunOptions& options)
{
    const Text banner = BannerText();
    OpenConsoleSession(banner);
    PrintLine(banner);
    PrintLine("");
    ReadOptions(options);
    if (options.showCredits) {
        return ShowCredits();
    }
    if (options.countedOptions == 0) {
        options.showUsage = true;
    }
    if (options.showUsage) {
        PrintUsage();
        return EndRun(options);
    }
    return Convert(options);
}

// The whole run; the one place where running out of memory becomes a message.
int RunCatchingOutOfMemory()
{
    RunOptions options;
    try {
        return Run(options);
    } catch (const std::bad_alloc&) {
        return EndRefusedRun(options, {{"> Error: Out of memory."}});
    }
}

} // namespace

void RunConverter()
{
    EndProgram(RunCatchingOutOfMemory());
}

MemoryRun RunInMemory(const std::vector<Text>& parameters, std::vector<MemoryFile> files)
{
    MemoryRun run{0, {parameters, {}}, std::move(files)};
    CaptureConsole(&run.console);
    UseMemoryFiles(&run.files);
    run.exitCode = RunCatchingOutOfMemory();
    CloseAllFiles();
    UseMemoryFiles(nullptr);
    CaptureConsole(nullptr);
    return run;
}
