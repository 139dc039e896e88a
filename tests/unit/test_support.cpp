#include "test_support.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "runtime/console.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

TemporaryFolder::TemporaryFolder()
{
    std::random_device random;
    do {
        path = std::filesystem::temp_directory_path() / ("pixmold-unit-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path));
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string ReadWholeFile(const std::string& name)
{
    std::ifstream stream(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RedirectStandardInput(const std::string& bytes)
{
#if defined(_WIN32)
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, nullptr, 65536);
    DWORD written = 0;
    WriteFile(writeEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(writeEnd);
    SetStdHandle(STD_INPUT_HANDLE, readEnd);
#else
    // A file rather than a pipe: emscripten's C library (the Node build) puts a
    // file in another's place by opening it again by name, with its flags.
    char name[] = "/tmp/pixmold-input-XXXXXX";
    const int written = mkstemp(name);
    if (written >= 0 && write(written, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) {
        const int file = open(name, O_RDONLY);
        dup2(file, 0);
        close(file);
    }
    close(written);
    unlink(name);
#endif
    OpenConsoleSession(Text()); // picks up the new standard input
}

std::string LittleEndian(std::int64_t value, int bytes)
{
    std::string text;
    for (int place = 0; place < bytes; place += 1) {
        text += static_cast<char>(value >> 8 * place & 0xFF);
    }
    return text;
}

std::string BmpFile(const Bmp& bmp)
{
    std::string info = LittleEndian(bmp.infoSize, 4) + LittleEndian(bmp.width, 4) + LittleEndian(bmp.height, 4) +
                       LittleEndian(1, 2) + LittleEndian(bmp.bits, 2) + LittleEndian(bmp.compression, 4) +
                       LittleEndian(bmp.sizeImage.value_or(std::ssize(bmp.pixels)), 4) +
                       LittleEndian(2835, 4) + LittleEndian(2835, 4) + LittleEndian(bmp.clrUsed, 4) +
                       LittleEndian(0, 4) + bmp.masks;
    info.resize(std::max<std::size_t>(info.size(), static_cast<std::size_t>(bmp.infoSize)));
    const std::string palette(4 * static_cast<std::size_t>(bmp.paletteEntries), '\0');
    const std::int64_t start = 14 + std::ssize(info) + std::ssize(palette);
    return "BM" + LittleEndian(start + std::ssize(bmp.pixels), 4) + LittleEndian(0, 4) + LittleEndian(start, 4) +
           info + palette + bmp.pixels;
}

SourceBitmap Band(const std::vector<std::string>& cells)
{
    SourceBitmap bitmap{static_cast<MachineWord>(24 * cells.size()), 21, {}, false, {}};
    for (int row = 0; row < 21; row += 1) {
        for (const std::string& cell : cells) {
            for (const char pixel : cell) {
                const auto digit = static_cast<std::uint8_t>(std::string("0123456789abcdef").find(pixel));
                bitmap.pixels.push_back(pixel == 't' ? kTransparent : digit);
                bitmap.multicolorFound = bitmap.multicolorFound || (pixel == '2' || pixel == '3');
            }
        }
    }
    return bitmap;
}

InMemory::InMemory(std::vector<MemoryFile> volume) : files(std::move(volume))
{
    UseMemoryFiles(&files);
    CaptureConsole(&console);
}

InMemory::~InMemory()
{
    CaptureConsole(nullptr);
    UseMemoryFiles(nullptr);
}
