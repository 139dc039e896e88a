#include "output_file.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

Refused RefuseOverwriting(const Text& outputFile, const ProtectedFile& protectedFile)
{
    if (!TextEquals(protectedFile.refusal, "") && SameRegularFile(outputFile, protectedFile.name)) {
        return Refusal{{protectedFile.refusal + outputFile}};
    }
    return {};
}

} // namespace

Outcome<FileHandle> OpenOutputFile(const OutputOptions& options, const Text& name, const Text& missingNameLine,
                                   std::initializer_list<ProtectedFile> protectedFiles)
{
    if (TextEquals(name, "")) {
        return Refusal{{missingNameLine}};
    }
    if (Refused refused =
            RefuseOverwriting(name, {options.sourceFile, "> Error: Destination file is the source bitmap: "})) {
        return *refused;
    }
    for (const ProtectedFile& protectedFile : protectedFiles) {
        if (Refused refused = RefuseOverwriting(name, protectedFile)) {
            return *refused;
        }
    }
    const FileHandle file = CreateOutputFile(name);
    if (IsNullHandle(file)) {
        return Refusal{{"> Error: Unable to create file: " + name}};
    }
    return file;
}

Refused CloseOutputFile(FileHandle file, const Text& name)
{
    if (!CloseFile(file)) {
        return Refusal{{"> Error: Unable to write file: " + name}};
    }
    return {};
}

Text LastByteText(const OutputOptions& options, MachineWord spriteNumber, const Sprite& sprite, bool overlaid)
{
    if (!options.realColors) {
        return "align byte";
    }
    const Text color = "sprite color " + ColorText(sprite.ownColor);
    if (options.hiresSprites) {
        return color;
    }
    if (sprite.liesOver) {
        return color + ", over sprite " + DecimalText(spriteNumber - 1);
    }
    if (!sprite.multicolor) {
        return color + ", hires"; // -mixed
    }
    return color + ", multicolor" + (overlaid ? ", under sprite " + DecimalText(spriteNumber + 1) : "");
}

Refused FinishExport(FileHandle file, const Text& name, const Text& exportingLine)
{
    if (Refused refused = CloseOutputFile(file, name)) {
        return refused;
    }
    PrintLine(exportingLine);
    PrintLine("> Saving file: " + name);
    PrintLine("> ...done!");
    PrintLine("");
    return {};
}

void WriteSpriteRecords(FileHandle file, const SpriteTable& table, bool withAttributes)
{
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    ForEachSprite(table, [&](const SpriteCell&, const Sprite& sprite, bool overlaid) {
        std::copy(sprite.data.begin(), sprite.data.end(), record);
        record[kSpriteDataBytes] = withAttributes ? AttributeByte(sprite, overlaid) : 0;
        WriteBlock(file, record, sizeof record);
    });
}
