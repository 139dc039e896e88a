#include "c_writer.hpp"

#include "c64_colors.hpp"
#include "sprite_grid.hpp"

namespace {

// One byte as C writes it: "0x6C" with -hex, else "108".
Text ByteText(const OutputOptions& options, std::uint8_t value)
{
    return options.hexOutput ? "0x" + PadLeft(HexText(value, 0), 2, "0") : DecimalText(value);
}

// "#define SPRITES_BACKGROUND 0 /* black */".
Text ColorConstant(const Text& name, const char* what, std::uint8_t color)
{
    return "#define " + AsciiUpperCase(name) + "_" + what + " " + DecimalText(color) + " /* " + C64ColorName(color) +
           " */";
}

void WriteHeader(const OutputOptions& options, FileHandle file, const Text& name, std::int64_t count,
                 const SharedColors& colors)
{
    WriteLine(file, "/* created using pixmold by -zarn / QTV | Mossgrove */");
    if (options.realColors) {
        WriteLine(file, "/* " + SharedColorsText(colors, options.hiresSprites) + " */");
    }
    WriteLine(file, "#define " + AsciiUpperCase(name) + "_COUNT " + DecimalText(count));
    if (options.realColors) {
        WriteLine(file, ColorConstant(name, "BACKGROUND", colors.background));
    }
    if (options.realColors && !options.hiresSprites) {
        WriteLine(file, ColorConstant(name, "MULTICOLOR1", colors.multicolor1));
        WriteLine(file, ColorConstant(name, "MULTICOLOR2", colors.multicolor2));
    }
    WriteLine(file, "");
}

// One sprite's block of the array: its rows of three bytes, each with its
// picture, then the 64th byte.
void WriteSpriteBlock(const OutputOptions& options, FileHandle file, MachineWord number, const SpriteCell& cell,
                      const Sprite& sprite, bool overlaid)
{
    WriteLine(file, "    /* sprite " + DecimalText(number) + " (" + DecimalText(cell.x) + "," + DecimalText(cell.y) +
                        ") */");
    WriteLine(file, "    {");
    for (std::size_t row = 0; row < kSpriteHeight; row += 1) {
        Text line = "        ";
        for (std::size_t k = 0; k < 3; k += 1) {
            line += ByteText(options, sprite.data[3 * row + k]) + ", ";
        }
        line += "/* ";
        AppendPreviewText(sprite, row, line);
        WriteLine(file, line + " */");
    }
    const std::uint8_t last = options.realColors ? AttributeByte(sprite, overlaid) : 0;
    WriteLine(file, "        " + ByteText(options, last) + " /* " + LastByteText(options, number, sprite, overlaid) +
                        " */");
    WriteLine(file, "    },");
}

// -colors: each sprite's own colour, in the order of the array.
void WriteOwnColors(FileHandle file, const Text& name, const SpriteTable& table)
{
    WriteLine(file, "");
    WriteLine(file, "const unsigned char " + name + "_colors[" + AsciiUpperCase(name) + "_COUNT] = {");
    MachineWord number = 0;
    ForEachSprite(table, [&](const SpriteCell&, const Sprite& sprite, bool) {
        WriteLine(file, "    " + DecimalText(sprite.ownColor) + ", /* sprite " + DecimalText(number) + ": " +
                            C64ColorName(sprite.ownColor) + " */");
        number += 1;
    });
    WriteLine(file, "};");
}

} // namespace

Refused WriteCFile(const OutputOptions& options, const SpriteTable& table)
{
    const std::int64_t count = SpriteCount(table);
    if (count == 0) {
        return Refusal{{"> Error: The sheet has no sprites, so it has no C array."}};
    }
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::cFile,
                       "> Error: No destination filename for C output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    const Text& name = options.name;
    WriteHeader(options, file, name, count, table.colors);
    WriteLine(file, "const unsigned char " + name + "[" + AsciiUpperCase(name) + "_COUNT][64] = {");
    MachineWord number = 0;
    ForEachSprite(table, [&](const SpriteCell& cell, const Sprite& sprite, bool overlaid) {
        WriteSpriteBlock(options, file, number, cell, sprite, overlaid);
        number += 1;
    });
    WriteLine(file, "};");
    if (options.realColors) {
        WriteOwnColors(file, name, table);
    }
    return FinishExport(file, options.cFile, "> Exporting data to C format ...");
}
