#include "spritepad_writer.hpp"

#include "output_file.hpp"

Refused WriteSpritePadFile(const OutputOptions& options, const SpriteTable& table)
{
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::spritePadFile,
                       "> Error: No destination filename for spritepad output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    const std::uint8_t colors[] = {table.colors.background, table.colors.multicolor1, table.colors.multicolor2};
    WriteBlock(file, colors, sizeof colors);
    WriteSpriteRecords(file, table, true);
    return FinishExport(file, options.spritePadFile,
                        options.realColors ? "> Exporting data to SpritePad format, with the sheet's colors ..."
                                           : "> Exporting data to SpritePad format, but with temp colors ...");
}
