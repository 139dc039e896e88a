#include "spritepad_writer.hpp"

#include <algorithm>

#include "runtime/console.hpp"
#include "runtime/files.hpp"
#include "source_writer.hpp"

void WriteSpritePadFile(const RunOptions& options, const SpriteTable& table)
{
    if (TextEquals(options.spritePadFile, "")) {
        PrintLine("> Error: No destination filename for spritepad output.");
        Quit(1);
    }
    RefuseOverwritingSource(options, options.spritePadFile);
    if (SameRegularFile(options.spritePadFile, options.sourceOutputFile)) {
        PrintLine("> Error: SpritePad file is the sourcecode file: " + options.spritePadFile);
        Quit(1);
    }
    const FileHandle file = CreateOutputFile(options.spritePadFile);
    if (IsNullHandle(file)) {
        PrintLine("> Error: Unable to create file: " + options.spritePadFile);
        Quit(1);
    }
    WriteInt8(file, kSpritePadBackground);
    WriteInt8(file, kSpritePadMulticolor1);
    WriteInt8(file, kSpritePadMulticolor2);
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    for (const SpriteCell& cell : table.cells) {
        std::copy_n(cell.data.begin(), kSpriteDataBytes, record);
        record[kSpriteDataBytes] = kSpritePadAttribute;
        WriteBlock(file, record, static_cast<std::int32_t>(sizeof record));
    }
    if (!CloseFile(file)) {
        PrintLine("> Error: Unable to write file: " + options.spritePadFile);
        Quit(1);
    }
    PrintLine("> Exporting data to SpritePad format, but with temp colors ...");
    PrintLine("> Saving file: " + options.spritePadFile);
    PrintLine("> ...done!");
    PrintLine("");
}
