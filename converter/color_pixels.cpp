#include "color_pixels.hpp"

#include <algorithm>

#include "runtime/console.hpp"

namespace {

constexpr std::size_t kValuesShown = 4;
constexpr Rgb kNoValue = 0xFFFFFFFF; // above every RGB value

std::size_t CacheSlot(Rgb rgb)
{
    return (rgb * 2654435761U) >> 20; // the top 12 bits of a multiplicative hash
}

Text RgbText(Rgb rgb)
{
    return PadLeft(HexText(rgb, 0), 6, "0");
}

} // namespace

EntryColors PaletteColors(const std::vector<Rgb>& palette)
{
    if (std::optional<EntryColors> matched = MatchC64Palette(palette)) {
        return *matched;
    }
    EntryColors each;
    for (const Rgb rgb : palette) {
        each.colors.push_back(NearestC64Color(rgb));
    }
    return each;
}

void NoteColor(RecognisedColors& recognised, Rgb rgb, std::uint8_t color)
{
    std::uint64_t& word = recognised.seen[rgb / 64];
    const std::uint64_t bit = std::uint64_t{1} << (rgb % 64);
    if ((word & bit) != 0) {
        return;
    }
    word |= bit;
    recognised.valueCount[color] += 1;
    std::vector<Rgb>& lowest = recognised.lowestValues[color];
    lowest.insert(std::upper_bound(lowest.begin(), lowest.end(), rgb), rgb);
    if (lowest.size() > kValuesShown) {
        lowest.pop_back();
    }
}

TrueColorDecoder MakeTrueColorDecoder(const PixelLayout& layout)
{
    TrueColorDecoder decoder;
    decoder.layout = layout;
    decoder.cachedValue.fill(kNoValue);
    return decoder;
}

void DecodeTrueColorRow(TrueColorDecoder& decoder, const std::uint8_t* row, RowColumns columns, std::size_t width,
                        std::uint8_t* colors)
{
    const PixelLayout layout = decoder.layout;
    for (std::size_t x = columns.first; x < width; x += columns.step) {
        const std::uint8_t* pixel = row + x * layout.bytesPerPixel;
        if (layout.alpha && pixel[3] == 0) {
            colors[x] = kTransparent;
            decoder.recognised.transparent += 1;
            continue;
        }
        const Rgb rgb = Rgb{pixel[layout.red]} << 16 | Rgb{pixel[layout.green]} << 8 | pixel[layout.blue];
        const std::size_t slot = CacheSlot(rgb);
        if (decoder.cachedValue[slot] != rgb) {
            decoder.cachedValue[slot] = rgb;
            decoder.cachedColor[slot] = NearestC64Color(rgb);
            NoteColor(decoder.recognised, rgb, decoder.cachedColor[slot]);
        }
        colors[x] = decoder.cachedColor[slot];
    }
}

void PrintRecognisedColors(const RecognisedColors& recognised)
{
    for (std::uint8_t color = 0; color < kC64ColorCount; color += 1) {
        const std::vector<Rgb>& values = recognised.lowestValues[color];
        if (values.empty()) {
            continue;
        }
        Text line = "> Color " + DecimalText(color) + " (" + C64ColorName(color) + "): " + RgbText(values[0]);
        for (std::size_t shown = 1; shown < values.size(); shown += 1) {
            line += ", " + RgbText(values[shown]);
        }
        const std::int64_t more = recognised.valueCount[color] - std::int64_t{kValuesShown};
        if (more > 0) {
            line += " and " + DecimalText(more) + " more";
        }
        PrintLine(line);
    }
}
