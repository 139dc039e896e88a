#include "source_writer.hpp"

#include "c64_colors.hpp"
#include "output_file.hpp"
#include "runtime/console.hpp"
#include "runtime/files.hpp"
#include "sprite_grid.hpp"

namespace {

// Appends one data byte: "$" and two upper-case hexadecimal digits with -hex,
// else decimal without leading zeros. The same text as "$" + PadLeft(HexText(
// value, 1), 2, "0") and DecimalText(value), built in place: a sheet of 40,000
// sprites writes 2.5 million of them.
void AppendByteValue(const OutputOptions& options, std::uint8_t value, Text& line)
{
    if (options.hexOutput) {
        line += '$';
        line += kHexDigits[value >> 4];
        line += kHexDigits[value & 15];
        return;
    }
    if (value >= 100) {
        line += static_cast<char>('0' + value / 100); // each a single digit
    }
    if (value >= 10) {
        line += static_cast<char>('0' + value / 10 % 10);
    }
    line += static_cast<char>('0' + value % 10);
}

// A data line into a text the caller keeps, so that its storage is reused; the
// line is still built whole before it is written.
void BuildDataLine(const OutputOptions& options, const Sprite& sprite, std::size_t row, Text& line)
{
    line.clear();
    line += '\t';
    line += options.byteDirective;
    line += '\t';
    AppendByteValue(options, sprite.data[3 * row], line);
    line += ", ";
    AppendByteValue(options, sprite.data[3 * row + 1], line);
    line += ", ";
    AppendByteValue(options, sprite.data[3 * row + 2], line);
    line += "\t\t";
    line += options.commentMarker;
    line += ' ';
    AppendPreviewText(sprite, row, line);
}

// The 64th byte of a sprite: 0 to align the next one, or with -colors the
// SpritePad attribute byte.
Text LastByteLine(const OutputOptions& options, MachineWord spriteNumber, const Sprite& sprite, bool overlaid)
{
    if (!options.realColors) {
        return "\t" + options.byteDirective + "\t0\t" + options.commentMarker + " align byte";
    }
    Text line = "\t" + options.byteDirective + "\t";
    AppendByteValue(options, AttributeByte(sprite, overlaid), line);
    return line + "\t" + options.commentMarker + " " + LastByteText(options, spriteNumber, sprite, overlaid);
}

// Writes one line and, with -v, shows it on the console.
void EmitLine(const OutputOptions& options, FileHandle file, const Text& line)
{
    WriteLine(file, line);
    if (options.verbose) {
        PrintLine("> " + line);
    }
}

void WriteSprite(const OutputOptions& options, FileHandle file, MachineWord spriteNumber, const SpriteCell& cell,
                 const Sprite& sprite, bool overlaid)
{
    EmitLine(options, file, options.commentMarker + " SPRITE " + DecimalText(spriteNumber) +
                                "  - Offset: (" + DecimalText(cell.x) + "," + DecimalText(cell.y) + ")");
    if (options.labels) {
        EmitLine(options, file, options.name + "_" + DecimalText(spriteNumber) + ":");
    }
    Text line;
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        BuildDataLine(options, sprite, row, line);
        EmitLine(options, file, line);
    }
    EmitLine(options, file, LastByteLine(options, spriteNumber, sprite, overlaid));
    WriteLine(file, "");
    if (options.verbose) {
        PrintLine("");
    }
}

// -label: "name_count = 7", with -colors the shared colours, then the label
// of the first sprite. The syntax every dialect's assembler takes.
void WriteConstants(const OutputOptions& options, FileHandle file, std::int64_t count, const SharedColors& colors)
{
    const Text comment = "\t" + options.commentMarker + " ";
    EmitLine(options, file, options.name + "_count = " + DecimalText(count));
    if (options.realColors) {
        EmitLine(options, file, options.name + "_background = " + DecimalText(colors.background) + comment +
                                    C64ColorName(colors.background));
    }
    if (options.realColors && !options.hiresSprites) {
        EmitLine(options, file, options.name + "_multicolor1 = " + DecimalText(colors.multicolor1) + comment +
                                    C64ColorName(colors.multicolor1));
        EmitLine(options, file, options.name + "_multicolor2 = " + DecimalText(colors.multicolor2) + comment +
                                    C64ColorName(colors.multicolor2));
    }
    EmitLine(options, file, options.name + ":");
}

} // namespace

Refused WriteSourceFile(const OutputOptions& options, const SpriteTable& table)
{
    const Outcome<FileHandle> opened = OpenOutputFile(options, &OutputOptions::sourceOutputFile,
                                                      "> Error: No destination filename for sourcecode output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    if (!options.verbose) {
        PrintLine("> writing data to file: " + options.sourceOutputFile);
    }
    const Text header = "\t" + options.commentMarker + " created using pixmold by -zarn / QTV | Mossgrove";
    WriteLine(file, header);
    if (options.verbose) {
        PrintLine("");
        PrintLine("> " + header);
    }
    EmitLine(options, file, PadRight("\t" + options.commentMarker + " ", 69, "-"));
    if (options.realColors) {
        const Text colors = SharedColorsText(table.colors, options.hiresSprites);
        EmitLine(options, file, "\t" + options.commentMarker + " " + colors);
    }
    if (options.labels) {
        WriteConstants(options, file, SpriteCount(table), table.colors);
    }
    MachineWord spriteNumber = 0;
    ForEachSprite(table, [&](const SpriteCell& cell, const Sprite& sprite, bool overlaid) {
        WriteSprite(options, file, spriteNumber, cell, sprite, overlaid);
        spriteNumber += 1;
    });
    if (Refused refused = CloseOutputFile(file, options.sourceOutputFile)) {
        return refused;
    }
    if (!options.verbose) {
        PrintLine("> ...done!");
        PrintLine("");
    }
    return {};
}
