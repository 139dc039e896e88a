#include "spritepad_writer.hpp"

#include <algorithm>

#include "output_file.hpp"
#include "runtime/console.hpp"

namespace {

constexpr std::uint8_t kBackground = 0;   // black
constexpr std::uint8_t kMulticolor1 = 15; // light grey
constexpr std::uint8_t kMulticolor2 = 1;  // white
constexpr std::uint8_t kMulticolorAttribute = 140; // multicolour, sprite colour 12 (grey)
constexpr std::uint8_t kHiresAttribute = 12;       // single-colour, sprite colour 12

} // namespace

void WriteSpritePadFile(const RunOptions& options, const SpriteTable& table)
{
    const FileHandle file =
        OpenOutputFile(options, options.spritePadFile, "> Error: No destination filename for spritepad output.",
                       {options.sourceOutputFile, "> Error: SpritePad file is the sourcecode file: "});
    const std::uint8_t colors[] = {kBackground, kMulticolor1, kMulticolor2};
    WriteBlock(file, colors, sizeof colors);
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    record[kSpriteDataBytes] = options.hiresSprites ? kHiresAttribute : kMulticolorAttribute;
    for (const SpriteCell& cell : table) {
        std::copy(cell.data.begin(), cell.data.end(), record);
        WriteBlock(file, record, sizeof record);
    }
    CloseOutputFile(options, file, options.spritePadFile);
    PrintLine("> Exporting data to SpritePad format, but with temp colors ...");
    PrintLine("> Saving file: " + options.spritePadFile);
    PrintLine("> ...done!");
    PrintLine("");
}
