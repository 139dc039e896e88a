#include "output_file.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

// The outputs in the order a run writes them, each with the words of its
// refusals: its own ("SpritePad file is ...") and another's ("... the
// SpritePad file").
struct WrittenOutput {
    Text OutputOptions::*name;
    const char* title;
    const char* word;
};

constexpr WrittenOutput kWrittenOutputs[] = {
    {&OutputOptions::sourceOutputFile, "Sourcecode", "sourcecode"},
    {&OutputOptions::spritePadFile, "SpritePad", "SpritePad"},
    {&OutputOptions::binaryFile, "Binary", "binary"},
    {&OutputOptions::previewFile, "Preview", "preview"},
    {&OutputOptions::programFile, "Program", "program"},
    {&OutputOptions::cFile, "C", "C"},
    {&OutputOptions::basicFile, "BASIC", "BASIC"},
};

Refused RefuseOverwriting(const Text& outputFile, const Text& protectedFile, const Text& refusal)
{
    if (SameRegularFile(outputFile, protectedFile)) {
        return Refusal{{refusal + outputFile}};
    }
    return {};
}

// Refuses the name of an output that an output written before it has.
Refused RefuseEarlierOutputs(const OutputOptions& options, Text OutputOptions::*name)
{
    const auto self = std::find_if(std::begin(kWrittenOutputs), std::end(kWrittenOutputs),
                                   [name](const WrittenOutput& output) { return output.name == name; });
    for (auto earlier = std::begin(kWrittenOutputs); earlier != self; ++earlier) {
        const Text refusal = "> Error: " + Text(self->title) + " file is the " + earlier->word + " file: ";
        if (Refused refused = RefuseOverwriting(options.*name, options.*(earlier->name), refusal)) {
            return refused;
        }
    }
    return {};
}

} // namespace

Outcome<FileHandle> OpenOutputFile(const OutputOptions& options, Text OutputOptions::*member,
                                   const Text& missingNameLine)
{
    const Text& name = options.*member;
    if (TextEquals(name, "")) {
        return Refusal{{missingNameLine}};
    }
    if (Refused refused =
            RefuseOverwriting(name, options.sourceFile, "> Error: Destination file is the source bitmap: ")) {
        return *refused;
    }
    if (Refused refused = RefuseEarlierOutputs(options, member)) {
        return *refused;
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
