#include "source_writer.hpp"

#include "runtime/console.hpp"
#include "runtime/files.hpp"

namespace {

const Text kTab = "\t";

Text ByteValue(const RunOptions& options, std::uint8_t value)
{
    if (options.hexOutput == 1) {
        return "$" + PadLeft(HexText(value, 1), 2, "0");
    }
    return DecimalText(value);
}

// Writes one line and, with -v, shows it on the console.
void EmitLine(const RunOptions& options, FileHandle file, const Text& line)
{
    WriteLine(file, line);
    if (options.verbose == 1) {
        PrintLine("> " + line);
    }
}

void WriteSprite(const RunOptions& options, FileHandle file, MachineWord spriteNumber, const SpriteCell& cell)
{
    EmitLine(options, file, SpriteTitleLine(options, spriteNumber, cell));
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        EmitLine(options, file, SpriteDataLine(options, cell, row));
    }
    EmitLine(options, file, SpriteAlignLine(options));
    WriteLine(file, "");
    if (options.verbose == 1) {
        PrintLine("");
    }
}

} // namespace

Text SourceHeaderLine(const RunOptions& options)
{
    return kTab + options.commentMarker + " created using pixmold by -zarn / QTV | Mossgrove";
}

Text SourceSeparatorLine(const RunOptions& options)
{
    return PadRight(kTab + options.commentMarker + " ", 69, "-");
}

Text SpriteTitleLine(const RunOptions& options, MachineWord spriteNumber, const SpriteCell& cell)
{
    return options.commentMarker + " SPRITE " + DecimalText(spriteNumber) + "  - Offset: (" + DecimalText(cell.x) +
           "," + DecimalText(cell.y) + ")";
}

Text SpriteDataLine(const RunOptions& options, const SpriteCell& cell, std::size_t row)
{
    Text line = kTab + options.byteDirective + kTab;
    line += ByteValue(options, cell.data[3 * row]);
    line += ", ";
    line += ByteValue(options, cell.data[3 * row + 1]);
    line += ", ";
    line += ByteValue(options, cell.data[3 * row + 2]);
    line += kTab + kTab + options.commentMarker + " " + cell.previewRows[row];
    return line;
}

Text SpriteAlignLine(const RunOptions& options)
{
    return kTab + options.byteDirective + "\t0\t" + options.commentMarker + " align byte";
}

void RefuseOverwritingSource(const RunOptions& options, const Text& outputFile)
{
    if (SameRegularFile(outputFile, options.sourceFile)) {
        PrintLine("> Error: Destination file is the source bitmap: " + outputFile);
        Quit(1);
    }
}

void WriteSourceFile(const RunOptions& options, const SpriteTable& table)
{
    if (TextEquals(options.sourceOutputFile, "")) {
        PrintLine("> Error: No destination filename for sourcecode output.");
        Quit(1);
    }
    RefuseOverwritingSource(options, options.sourceOutputFile);
    const FileHandle file = CreateOutputFile(options.sourceOutputFile);
    if (IsNullHandle(file)) {
        PrintLine("> Error: Unable to create file: " + options.sourceOutputFile);
        Quit(1);
    }
    if (options.verbose != 1) {
        PrintLine("> writing data to file: " + options.sourceOutputFile);
    }
    const Text header = SourceHeaderLine(options);
    WriteLine(file, header);
    if (options.verbose == 1) {
        PrintLine("");
        PrintLine("> " + header);
    }
    EmitLine(options, file, SourceSeparatorLine(options));
    for (MachineWord sprite = 0; sprite < table.spriteCount; sprite += 1) {
        WriteSprite(options, file, sprite, table.cells[static_cast<std::size_t>(sprite)]);
    }
    if (!CloseFile(file)) {
        PrintLine("> Error: Unable to write file: " + options.sourceOutputFile);
        Quit(1);
    }
    if (options.verbose != 1) {
        PrintLine("> ...done!");
        PrintLine("");
    }
}
