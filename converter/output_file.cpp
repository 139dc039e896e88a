#include "output_file.hpp"

#include <algorithm>

namespace {

void RefuseOverwriting(const RunOptions& options, const Text& outputFile, const ProtectedFile& protectedFile)
{
    if (!TextEquals(protectedFile.refusal, "") && SameRegularFile(outputFile, protectedFile.name)) {
        FailRun(options, {protectedFile.refusal + outputFile});
    }
}

} // namespace

FileHandle OpenOutputFile(const RunOptions& options, const Text& name, const Text& missingNameLine,
                          std::initializer_list<ProtectedFile> protectedFiles)
{
    if (TextEquals(name, "")) {
        FailRun(options, {missingNameLine});
    }
    RefuseOverwriting(options, name, {options.sourceFile, "> Error: Destination file is the source bitmap: "});
    for (const ProtectedFile& protectedFile : protectedFiles) {
        RefuseOverwriting(options, name, protectedFile);
    }
    const FileHandle file = CreateOutputFile(name);
    if (IsNullHandle(file)) {
        FailRun(options, {"> Error: Unable to create file: " + name});
    }
    return file;
}

void CloseOutputFile(const RunOptions& options, FileHandle file, const Text& name)
{
    if (!CloseFile(file)) {
        FailRun(options, {"> Error: Unable to write file: " + name});
    }
}

void WriteSpriteRecords(FileHandle file, const SpriteTable& table, bool withAttributes)
{
    // Each sprite's 64 bytes go to the buffer in one piece.
    std::uint8_t record[kSpriteDataBytes + 1];
    for (const SpriteCell& cell : table.cells) {
        std::copy(cell.data.begin(), cell.data.end(), record);
        record[kSpriteDataBytes] = withAttributes ? cell.attribute : 0;
        WriteBlock(file, record, sizeof record);
    }
}
