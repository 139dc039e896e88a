#include "output_file.hpp"

namespace {

void RefuseOverwriting(const RunOptions& options, const Text& outputFile, const ProtectedFile& protectedFile)
{
    if (!TextEquals(protectedFile.refusal, "") && SameRegularFile(outputFile, protectedFile.name)) {
        FailRun(options, {protectedFile.refusal + outputFile});
    }
}

} // namespace

FileHandle OpenOutputFile(const RunOptions& options, const Text& name, const Text& missingNameLine,
                          const ProtectedFile& protectedFile)
{
    if (TextEquals(name, "")) {
        FailRun(options, {missingNameLine});
    }
    RefuseOverwriting(options, name, {options.sourceFile, "> Error: Destination file is the source bitmap: "});
    RefuseOverwriting(options, name, protectedFile);
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
