// The whole converter run without a process: parameters and files in, the
// console lines, the files and the exit code out.
#include <gtest/gtest.h>

#include "converter/driver.hpp"
#include "tests/unit/test_support.hpp"

// A sheet names the fields it sets; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// A sheet of one cell, every pixel of index 2 (bit pair 10).
std::vector<std::uint8_t> OneCellSheet()
{
    const std::string file = BmpFile({.width = 24, .height = 21, .pixels = std::string(504, '\2')});
    return {file.begin(), file.end()};
}

TEST(RunInMemory, LinesFilesAndExitCode)
{
    std::vector<std::uint8_t> binary(63, 0xAA);
    binary.push_back(0);
    const struct {
        std::vector<Text> parameters;
        std::vector<Text> lines; // after the banner and its blank line
        int exitCode;
        std::vector<MemoryFile> files; // the sheet, then the files written
    } cases[] = {
        {{"-s", "a.bmp", "-b", "o.bin", "-p", "-errorlevel"},
         {"> Scanning 504 bytes of pixeldata...", "> Converting 1 sprites to C64 format",
          "> Exporting data to binary format ...", "> Saving file: o.bin", "> ...done!", "",
          "> Press RETURN to continue...."},
         0, {{"a.bmp", OneCellSheet()}, {"o.bin", binary}}},
        {{"-s", "b.bmp", "-errorlevel"}, {"> Error: Source bitmap file not found."}, 1, {{"a.bmp", OneCellSheet()}}},
    };
    for (const auto& run : cases) {
        const MemoryRun done = RunInMemory(run.parameters, {{"a.bmp", OneCellSheet()}});
        EXPECT_EQ(std::vector<Text>(done.console.lines.begin() + 2, done.console.lines.end()), run.lines);
        EXPECT_EQ(done.exitCode, run.exitCode);
        EXPECT_TRUE(done.files == run.files);
    }
}

} // namespace
