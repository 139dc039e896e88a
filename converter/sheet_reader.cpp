#include "sheet_reader.hpp"

#include "bmp_reader.hpp"
#include "png_reader.hpp"

namespace {

// A PNG is known by its content, whatever its name; anything else must be
// named .bmp. A .png name that cannot be opened is a missing file.
Refused CheckFileType(const Text& name, FileHandle file)
{
    const Text type = LowerCase(ExtensionOf(name));
    if (!TextEquals(type, "bmp") && !(IsNullHandle(file) && TextEquals(type, "png"))) {
        return SheetRefusal({"", "> Error: Wrong filetype.",
                             ">        Only *.bmp ,256colors indexed, uncompressed files are allowed.", ""});
    }
    if (IsNullHandle(file)) {
        return SheetRefusal({"> Error: Source bitmap file not found."});
    }
    return {};
}

Outcome<SourceBitmap> ReadSheet(const Text& name, const Sheet& sheet)
{
    std::uint8_t start[4];
    if (StartsAsPng(start, PeekBytes(sheet.file, start, sizeof start))) {
        return ReadPngSheet(sheet);
    }
    if (Refused refused = CheckFileType(name, sheet.file)) {
        return *refused;
    }
    return ReadBmpSheet(sheet);
}

} // namespace

Outcome<SourceBitmap> LoadSourceBitmap(const Text& name, SheetOptions options)
{
    const Sheet sheet{options, OpenInputFile(name)};
    Outcome<SourceBitmap> outcome = ReadSheet(name, sheet);
    // Closed before any refusal is shown, so that a paint program may save
    // the sheet again while -p waits for RETURN.
    CloseFile(sheet.file);
    return outcome;
}
