#include "spritepad_writer.hpp"

#include <algorithm>

#include "output_file.hpp"
#include "runtime/console.hpp"

void WriteSpritePadFile(const RunOptions& options, const SpriteTable& table)
{
    const FileHandle file =
        OpenOutputFile(options, options.spritePadFile, "> Error: No destination filename for spritepad output.",
                       {options.sourceOutputFile, "> Error: SpritePad file is the sourcecode file: "});
    const std::uint8_t colors[] = {table.colors.background, table.colors.multicolor1, table.colors.multicolor2};
    WriteBlock(file, colors, sizeof colors);
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    for (const SpriteCell& cell : table.cells) {
        std::copy(cell.data.begin(), cell.data.end(), record);
        record[kSpriteDataBytes] = cell.attribute;
        WriteBlock(file, record, sizeof record);
    }
    CloseOutputFile(options, file, options.spritePadFile);
    PrintLine(options.realColors ? "> Exporting data to SpritePad format, with the sheet's colors ..."
                                 : "> Exporting data to SpritePad format, but with temp colors ...");
    PrintLine("> Saving file: " + options.spritePadFile);
    PrintLine("> ...done!");
    PrintLine("");
}
