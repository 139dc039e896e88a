#include "binary_writer.hpp"

#include "output_file.hpp"

Refused WriteBinaryFile(const OutputOptions& options, const SpriteTable& table)
{
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::binaryFile,
                       "> Error: No destination filename for binary output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    // The 64th byte is the align byte 0, or with -colors the attribute byte.
    WriteSpriteRecords(file, table, options.realColors);
    return FinishExport(file, options.binaryFile, "> Exporting data to binary format ...");
}
