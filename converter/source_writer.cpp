#include "source_writer.hpp"

#include "output_file.hpp"
#include "runtime/console.hpp"
#include "runtime/files.hpp"

namespace {

const Text kTab = "\t";

// Appends one data byte: "$" and two upper-case hexadecimal digits with -hex,
// else decimal without leading zeros. The same text as "$" + PadLeft(HexText(
// value, 1), 2, "0") and DecimalText(value), built in place: a sheet of 40,000
// sprites writes 2.5 million of them.
void AppendByteValue(const RunOptions& options, std::uint8_t value, Text& line)
{
    if (options.hexOutput == 1) {
        const char hex[3] = {'$', kHexDigits[value >> 4], kHexDigits[value & 15]};
        line.append(hex, 3);
        return;
    }
    char digits[3];
    std::size_t count = 0;
    if (value >= 100) {
        digits[count++] = static_cast<char>('0' + value / 100);
    }
    if (value >= 10) {
        digits[count++] = static_cast<char>('0' + value / 10 % 10);
    }
    digits[count++] = static_cast<char>('0' + value % 10);
    line.append(digits, count);
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
    // One text serves every data line: each is still built whole before it is written.
    Text line;
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        BuildSpriteDataLine(options, cell, row, line);
        EmitLine(options, file, line);
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
    Text line;
    BuildSpriteDataLine(options, cell, row, line);
    return line;
}

void BuildSpriteDataLine(const RunOptions& options, const SpriteCell& cell, std::size_t row, Text& line)
{
    line.clear();
    line += '\t';
    line += options.byteDirective;
    line += '\t';
    AppendByteValue(options, cell.data[3 * row], line);
    line += ", ";
    AppendByteValue(options, cell.data[3 * row + 1], line);
    line += ", ";
    AppendByteValue(options, cell.data[3 * row + 2], line);
    line += "\t\t";
    line += options.commentMarker;
    line += ' ';
    AppendPreviewText(cell, row, line);
}

Text SpriteAlignLine(const RunOptions& options)
{
    return kTab + options.byteDirective + "\t0\t" + options.commentMarker + " align byte";
}

void WriteSourceFile(const RunOptions& options, const SpriteTable& table)
{
    const FileHandle file = OpenOutputFile(options, options.sourceOutputFile,
                                           "> Error: No destination filename for sourcecode output.");
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
    CloseOutputFile(file, options.sourceOutputFile);
    if (options.verbose != 1) {
        PrintLine("> ...done!");
        PrintLine("");
    }
}
