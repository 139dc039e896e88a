#include "sheet_reader.hpp"

#include "bmp_reader.hpp"
#include "png_reader.hpp"

namespace {

// A PNG is known by its content, whatever its name; anything else must be
// named .bmp. A .png name that cannot be opened is a missing file.
void CheckFileType(const Sheet& sheet)
{
    const Text type = LowerCase(ExtensionOf(sheet.options.sourceFile));
    if (!TextEquals(type, "bmp") && !(IsNullHandle(sheet.file) && TextEquals(type, "png"))) {
        RefuseSheet(sheet, {"", "> Error: Wrong filetype.",
                            ">        Only *.bmp ,256colors indexed, uncompressed files are allowed.", ""});
    }
    if (IsNullHandle(sheet.file)) {
        RefuseSheet(sheet, {"> Error: Source bitmap file not found."});
    }
}

} // namespace

SourceBitmap LoadSourceBitmap(const RunOptions& options)
{
    const Sheet sheet{options, OpenInputFile(options.sourceFile)};
    std::uint8_t start[4];
    if (StartsAsPng(start, PeekBytes(sheet.file, start, sizeof start))) {
        return ReadPngSheet(sheet);
    }
    CheckFileType(sheet);
    return ReadBmpSheet(sheet);
}
