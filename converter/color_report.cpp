#include "color_report.hpp"

#include <bit>

#include "cell_size.hpp"
#include "runtime/console.hpp"

namespace {

MachineWord CellX(const SheetColors& sheet, std::size_t cell)
{
    return static_cast<MachineWord>(cell) % sheet.columns * MachineWord{kSpriteWidth}; // a vector index
}

MachineWord CellY(const SheetColors& sheet, std::size_t cell)
{
    return static_cast<MachineWord>(cell) / sheet.columns * MachineWord{kSpriteHeight}; // a vector index
}

// The number of each cell's sprite in the files, whose cells come in this
// order (empty: cell by cell): an overlay follows the sprite beneath it.
std::vector<MachineWord> SpriteNumbers(const ColorChoice& choice, const std::vector<std::size_t>& order)
{
    std::vector<MachineWord> numbers(choice.overlays.size());
    MachineWord number = 0;
    for (std::size_t n = 0; n < numbers.size(); n += 1) {
        const std::size_t cell = order.empty() ? n : order[n];
        numbers[cell] = number;
        number += choice.overlays[cell] != kNoOverlay ? 2 : 1;
    }
    return numbers;
}

Text SpriteText(const SheetColors& sheet, std::size_t cell, const std::vector<MachineWord>& numbers)
{
    return "Sprite " + DecimalText(numbers[cell]) + " " + PositionText(CellX(sheet, cell), CellY(sheet, cell));
}

// The pairs of a cell whose right pixel shows other than the left one (a
// transparent pixel and one of the background show alike), and the first.
struct LostPixels {
    std::int64_t pairs = 0;
    MachineWord x = 0;
    MachineWord y = 0;
};

LostPixels LostPixelsOf(const SourceBitmap& bitmap, MachineWord left, MachineWord top, std::uint8_t background)
{
    LostPixels lost;
    for (MachineWord y = top; y < top + MachineWord{kSpriteHeight}; y += 1) {
        const std::uint8_t* row = bitmap.pixels.data() + y * bitmap.width;
        for (MachineWord x = left; x < left + MachineWord{kSpriteWidth}; x += 2) {
            const std::uint8_t first = row[x] == kTransparent ? background : row[x];
            const std::uint8_t second = row[x + 1] == kTransparent ? background : row[x + 1];
            if (first != second && lost.pairs++ == 0) {
                lost.x = x;
                lost.y = y;
            }
        }
    }
    return lost;
}

void WarnOfLostPixels(const SourceBitmap& bitmap, const SheetColors& sheet, const ColorChoice& choice,
                      const std::vector<MachineWord>& numbers)
{
    for (std::size_t cell = 0; cell < sheet.cells.size(); cell += 1) {
        const SplitPairs& split = sheet.splits[cell];
        const bool hires = !choice.hiresCells.empty() && choice.hiresCells[cell] != 0;
        if (choice.overlays[cell] != kNoOverlay || split.count == 0 || hires) {
            continue;
        }
        const MachineWord x = CellX(sheet, cell);
        const MachineWord y = CellY(sheet, cell);
        const LostPixels lost = split.transparent ? LostPixelsOf(bitmap, x, y, choice.colors.background)
                                                  : LostPixels{split.count, split.x, split.y};
        if (lost.pairs > 0) {
            PrintLine("> Warning: " + SpriteText(sheet, cell, numbers) + " has pixel pairs of two colors: " +
                      DecimalText(lost.pairs) + ", the first at " + PositionText(lost.x, lost.y) +
                      "; each shows its left pixel");
        }
    }
}

// The colours of the set in rising order, each with its name.
Text OwnColorsText(ColorSet own)
{
    Text text;
    for (; own != 0; own &= own - 1) {
        const auto color = static_cast<std::uint8_t>(std::countr_zero(own)); // 0-15
        text += (text.empty() ? "" : ", ") + ColorText(color);
    }
    return text;
}

// Names every cell that converts under no sprite.
Refusal UnfitCellsRefusal(bool hiresSprites, const SheetColors& sheet, const ColorChoice& choice,
                          const std::vector<MachineWord>& numbers)
{
    const std::int64_t cells = std::ssize(sheet.cells);
    PrintLine("> Error: No choice of shared colors converts all " + DecimalText(cells) +
              " sprites; this one converts " + DecimalText(cells - std::ssize(choice.unfit)) + ":");
    PrintLine("> Colors: " + SharedColorsText(choice.colors, hiresSprites));
    for (const std::size_t cell : choice.unfit) {
        const ColorSet own = sheet.cells[cell].read & ~SharedSet(choice.colors, hiresSprites);
        PrintLine("> Error: " + SpriteText(sheet, cell, numbers) + " has " + DecimalText(std::popcount(own)) +
                  " colors of its own: " + OwnColorsText(own));
    }
    return {{"> Exit program... No data converted.", ""}};
}

void ShowOverlayPairs(const SheetColors& sheet, const ColorChoice& choice, const std::vector<MachineWord>& numbers)
{
    for (std::size_t cell = 0; cell < sheet.cells.size(); cell += 1) {
        const std::uint8_t overlay = choice.overlays[cell];
        if (overlay != kNoOverlay) {
            PrintLine("> Overlay: sprite " + DecimalText(numbers[cell] + 1) + " over sprite " +
                      DecimalText(numbers[cell]) + " " + PositionText(CellX(sheet, cell), CellY(sheet, cell)) +
                      ", color " + ColorText(overlay));
        }
    }
}

} // namespace

Refused ReportColorChoice(bool hiresSprites, const SourceBitmap& bitmap, const SheetColors& sheet,
                          const ColorChoice& choice, const std::vector<std::size_t>& order)
{
    const std::vector<MachineWord> numbers = SpriteNumbers(choice, order);
    if (!hiresSprites) {
        WarnOfLostPixels(bitmap, sheet, choice, numbers);
    }
    if (!choice.unfit.empty()) {
        return UnfitCellsRefusal(hiresSprites, sheet, choice, numbers);
    }
    PrintLine("> Colors: " + SharedColorsText(choice.colors, hiresSprites));
    if (choice.opaqueBackground) {
        PrintLine("> Warning: No color that the sheet leaves free converts every sprite as the background; " +
                  ColorText(choice.colors.background) + " does, and its pixels show the screen behind the sprites");
    }
    ShowOverlayPairs(sheet, choice, numbers);
    return {};
}
