#include "output_file.hpp"

#include "runtime/console.hpp"

namespace {

void RefuseOverwriting(const Text& outputFile, const ProtectedFile& protectedFile)
{
    if (!TextEquals(protectedFile.refusal, "") && SameRegularFile(outputFile, protectedFile.name)) {
        PrintLine(protectedFile.refusal + outputFile);
        Quit(1);
    }
}

} // namespace

FileHandle OpenOutputFile(const RunOptions& options, const Text& name, const Text& missingNameLine,
                          const ProtectedFile& protectedFile)
{
    if (TextEquals(name, "")) {
        PrintLine(missingNameLine);
        Quit(1);
    }
    RefuseOverwriting(name, ProtectedFile{options.sourceFile, "> Error: Destination file is the source bitmap: "});
    RefuseOverwriting(name, protectedFile);
    const FileHandle file = CreateOutputFile(name);
    if (IsNullHandle(file)) {
        PrintLine("> Error: Unable to create file: " + name);
        Quit(1);
    }
    return file;
}

void CloseOutputFile(FileHandle file, const Text& name)
{
    if (!CloseFile(file)) {
        PrintLine("> Error: Unable to write file: " + name);
        Quit(1);
    }
}
