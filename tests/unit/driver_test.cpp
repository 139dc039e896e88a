// The whole converter run without a process: parameters and files in, the
// console lines, the files and the exit code out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/driver.hpp"
#include "tests/unit/test_support.hpp"

namespace {

// A sheet of one cell, every pixel of index 2 (bit pair 10).
std::vector<std::uint8_t> OneCellSheet()
{
    const std::string header = LittleEndian(40, 4) + LittleEndian(24, 4) + LittleEndian(21, 4) + LittleEndian(1, 2) +
                               LittleEndian(8, 2) + LittleEndian(0, 4) + LittleEndian(504, 4) + std::string(16, '\0');
    const std::string file = "BM" + LittleEndian(54 + 504, 4) + LittleEndian(0, 4) + LittleEndian(54, 4) + header +
                             std::string(504, '\2');
    return {file.begin(), file.end()};
}

TEST(RunInMemory, LinesFilesAndExitCode)
{
    const std::vector<std::uint8_t> binary = [] {
        std::vector<std::uint8_t> bytes(63, 0xAA);
        bytes.push_back(0);
        return bytes;
    }();
    const struct {
        std::vector<Text> parameters;
        std::vector<Text> lines; // after the banner and its blank line
        int exitCode;
        std::vector<MemoryFile> files; // after the sheet
    } cases[] = {
        {{"-s", "a.bmp", "-b", "o.bin", "-p", "-errorlevel"},
         {"> Scanning 504 bytes of pixeldata...", "> Converting 1 sprites to C64 format",
          "> Exporting data to binary format ...", "> Saving file: o.bin", "> ...done!", "",
          "> Press RETURN to continue...."},
         0,
         {{"o.bin", binary}}},
        {{"-s", "b.bmp", "-b", "o.bin", "-errorlevel"}, {"> Error: Source bitmap file not found."}, 1, {}},
        {{"-s", "a.bmp", "-b", "a.bmp"},
         {"> Scanning 504 bytes of pixeldata...", "> Converting 1 sprites to C64 format",
          "> Error: Destination file is the source bitmap: a.bmp"},
         0,
         {}},
    };
    for (const auto& run : cases) {
        const MemoryRun done = RunInMemory(run.parameters, {{"a.bmp", OneCellSheet()}});
        const std::vector<Text> lines(done.console.lines.begin() + 2, done.console.lines.end());
        EXPECT_EQ(lines, run.lines) << run.parameters[1];
        EXPECT_EQ(done.exitCode, run.exitCode) << run.parameters[1];
        ASSERT_EQ(done.files.size(), run.files.size() + 1) << run.parameters[1];
        EXPECT_EQ(done.files[0].bytes, OneCellSheet());
        for (std::size_t file = 0; file < run.files.size(); file += 1) {
            EXPECT_EQ(done.files[file + 1].name, run.files[file].name);
            EXPECT_EQ(done.files[file + 1].bytes, run.files[file].bytes);
        }
    }
}

} // namespace
