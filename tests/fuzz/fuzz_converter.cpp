// libFuzzer target: one whole converter run, in-process, on arbitrary bitmap
// bytes. The first input byte picks the options; the rest is the file sheet.bmp.
// Files and the console live in memory (platform_memory.cpp), and the end of
// the program comes back here as a MemoryProcessEnd instead of ending the process.
//
// Besides what the sanitizers catch, every run is checked for what must hold
// whatever the input: no file left open, console lines ending in CR LF, and,
// when both files were written, the number of sprites that the header's size
// gives, a SpritePad file of 3 + 64 x n bytes and a source file of 2 + 24 x n lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "converter/driver.hpp"
#include "platform_memory.hpp"
#include "runtime/console.hpp"

namespace {

// Bits of the first input byte.
constexpr std::uint8_t kHex = 0x01;
constexpr std::uint8_t kAcme = 0x02;
constexpr std::uint8_t kVerbose = 0x04;
constexpr std::uint8_t kSpritePad = 0x08;
constexpr std::uint8_t kWaitForReturn = 0x10;
constexpr std::uint8_t kFullDisk = 0x20;       // the files may grow by kDiskRoom bytes in all
constexpr std::uint8_t kNoDestination = 0x40;  // -d is left out
constexpr std::uint8_t kSameOutputs = 0x80;    // -e names the -d file

constexpr std::int64_t kDiskRoom = 3000;

const Text kSourceName = "sheet.bmp";
const Text kAsmName = "sheet.asm";
const Text kSprName = "sheet.spr";

[[noreturn]] void Broken(const char* what)
{
    // A plain message on stderr, then the fuzzer's crash report.
    std::fprintf(stderr, "pixmold_fuzz: %s\n", what);
    std::abort();
}

void Expect(bool holds, const char* what)
{
    if (!holds) {
        Broken(what);
    }
}

std::vector<Text> Parameters(std::uint8_t options)
{
    std::vector<Text> parameters = {"-s", kSourceName};
    if ((options & kNoDestination) == 0) {
        parameters.insert(parameters.end(), {"-d", kAsmName});
    }
    if ((options & kSpritePad) != 0) {
        parameters.insert(parameters.end(), {"-e", (options & kSameOutputs) != 0 ? kAsmName : kSprName});
    }
    if ((options & kHex) != 0) {
        parameters.push_back("-hex");
    }
    if ((options & kAcme) != 0) {
        parameters.push_back("-acme");
    }
    if ((options & kVerbose) != 0) {
        parameters.push_back("-v");
    }
    if ((options & kWaitForReturn) != 0) {
        parameters.push_back("-p");
    }
    return parameters;
}

// The run as main() makes it, with the end of the program caught here.
MemoryProcessEnd RunOnce()
{
    try {
        try {
            RunConverter();
        } catch (const std::bad_alloc&) {
            PrintLine("> Error: Out of memory.");
            Quit(1);
        }
        EndProgram();
    } catch (const MemoryProcessEnd& end) {
        return end;
    }
}

std::int32_t LittleEndian32(const std::uint8_t* bytes, std::size_t count, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; i += 1) {
        const std::uint32_t byte = offset + i < count ? bytes[offset + i] : 0;
        value |= byte << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

bool Contains(const Text& text, const Text& part)
{
    return text.find(part) != Text::npos;
}

std::size_t CountLines(const MemoryBytes& bytes)
{
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 1) {
        lines += bytes[i] == '\r' && bytes[i + 1] == '\n' ? 1 : 0;
    }
    return lines;
}

void CheckOutputs(std::uint8_t options, const std::uint8_t* file, std::size_t count)
{
    const Text& console = MemoryConsoleText();
    if (MemoryConsoleBytes() == console.size() && !console.empty()) {
        Expect(console.size() >= 2 && console.compare(console.size() - 2, 2, "\r\n") == 0,
               "console output does not end in CR LF");
    }
    if ((options & kSpritePad) == 0 || !Contains(console, "> Saving file: " + kSprName + "\r\n")) {
        return;
    }
    // Both files are complete: their sizes follow from the header's size alone.
    const std::int64_t width = LittleEndian32(file, count, 18);
    const std::int64_t height = std::llabs(LittleEndian32(file, count, 22));
    const std::int64_t sprites = (width / 24) * (height / 21);
    const MemoryBytes* spritePad = FindMemoryFile(kSprName);
    const MemoryBytes* source = FindMemoryFile(kAsmName);
    Expect(spritePad != nullptr && source != nullptr, "a file reported as written is missing");
    Expect(sprites > 0, "sprites written for a picture without cells");
    Expect(spritePad->size() == static_cast<std::size_t>(3 + 64 * sprites), "SpritePad file size");
    Expect((*spritePad)[0] == 0 && (*spritePad)[1] == 15 && (*spritePad)[2] == 1, "SpritePad colours");
    for (std::int64_t sprite = 0; sprite < sprites; sprite += 1) {
        Expect((*spritePad)[static_cast<std::size_t>(3 + 64 * sprite + 63)] == 140, "SpritePad attribute byte");
    }
    Expect(CountLines(*source) == static_cast<std::size_t>(2 + 24 * sprites), "source file line count");
    Expect(source->size() >= 4 && std::memcmp(source->data() + source->size() - 4, "\r\n\r\n", 4) == 0,
           "source file does not end with an empty line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t options = data[0];
    const std::uint8_t* file = data + 1;
    const std::size_t count = size - 1;

    ResetMemoryPlatform();
    PutMemoryFile(kSourceName, file, count);
    SetMemoryParameters(Parameters(options));
    if ((options & kFullDisk) != 0) {
        SetMemoryDiskRoom(kDiskRoom);
    }
    StartRuntime(0, nullptr);
    const MemoryProcessEnd end = RunOnce();
    Expect(end.filesLeftOpen == 0, "a file was left open at the end of the run");
    CheckOutputs(options, file, count);
    ResetMemoryPlatform();
    return 0;
}
