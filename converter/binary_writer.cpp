#include "binary_writer.hpp"

#include "output_file.hpp"
#include "runtime/console.hpp"

void WriteBinaryFile(const RunOptions& options, const SpriteTable& table)
{
    const FileHandle file =
        OpenOutputFile(options, options.binaryFile, "> Error: No destination filename for binary output.",
                       {{options.sourceOutputFile, "> Error: Binary file is the sourcecode file: "},
                        {options.spritePadFile, "> Error: Binary file is the SpritePad file: "}});
    // The 64th byte is the align byte 0, or with -colors the attribute byte.
    WriteSpriteRecords(file, table, options.realColors);
    CloseOutputFile(options, file, options.binaryFile);
    PrintLine("> Exporting data to binary format ...");
    PrintLine("> Saving file: " + options.binaryFile);
    PrintLine("> ...done!");
    PrintLine("");
}
