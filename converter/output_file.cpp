#include "output_file.hpp"

#include <algorithm>

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
