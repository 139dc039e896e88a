#include "spritepad_writer.hpp"

#include <algorithm>

#include "output_file.hpp"
#include "runtime/console.hpp"
#include "runtime/files.hpp"

void WriteSpritePadFile(const RunOptions& options, const SpriteTable& table)
{
    const FileHandle file =
        OpenOutputFile(options, options.spritePadFile, "> Error: No destination filename for spritepad output.",
                       ProtectedFile{options.sourceOutputFile, "> Error: SpritePad file is the sourcecode file: "});
    WriteInt8(file, kSpritePadBackground);
    WriteInt8(file, kSpritePadMulticolor1);
    WriteInt8(file, kSpritePadMulticolor2);
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    const std::uint8_t attribute = options.hiresSprites == 1 ? kSpritePadHiresAttribute : kSpritePadAttribute;
    for (const SpriteCell& cell : table.cells) {
        std::copy_n(cell.data.begin(), kSpriteDataBytes, record);
        record[kSpriteDataBytes] = attribute;
        WriteBlock(file, record, static_cast<std::int32_t>(sizeof record));
    }
    CloseOutputFile(file, options.spritePadFile);
    PrintLine("> Exporting data to SpritePad format, but with temp colors ...");
    PrintLine("> Saving file: " + options.spritePadFile);
    PrintLine("> ...done!");
    PrintLine("");
}
