#include "text.hpp"

#include <algorithm>

#include "platform.hpp"

Text DecimalText(std::int64_t value)
{
    // The magnitude is taken unsigned so that the most negative value prints in full.
    const std::uint64_t bits = static_cast<std::uint64_t>(value); // two's complement bits
    std::uint64_t magnitude = value < 0 ? 0 - bits : bits;
    Text digits;
    do {
        digits += static_cast<char>('0' + magnitude % 10); // a digit
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits += '-';
    }
    return Text(digits.rbegin(), digits.rend());
}

namespace {

int HexBitsShown(std::int64_t widthClass)
{
    switch (widthClass) {
    case 1:
    case 11:
    case 24:
        return 8;
    case 3:
    case 25:
        return 16;
    case 5:
        return 32;
    default:
        return 64;
    }
}

} // namespace

Text HexText(std::int64_t value, std::int64_t widthClass)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(value); // two's complement bits
    Text result;
    for (int shift = HexBitsShown(widthClass) - 4; shift >= 0; shift -= 4) {
        const std::uint64_t digit = (bits >> shift) & 15U;
        if (digit != 0 || !result.empty() || shift == 0) {
            result += kHexDigits[digit];
        }
    }
    return result;
}

namespace {

char FillCharacter(const Text& fill)
{
    return fill.empty() ? ' ' : fill[0];
}

std::size_t PadLength(std::int64_t length)
{
    return static_cast<std::size_t>(std::max<std::int64_t>(length, 0)); // not negative here
}

} // namespace

Text PadLeft(const Text& text, std::int64_t length, const Text& fill)
{
    const std::size_t wanted = PadLength(length);
    const std::size_t kept = std::min(text.size(), wanted);
    return Text(wanted - kept, FillCharacter(fill)) + text.substr(0, kept);
}

Text PadRight(const Text& text, std::int64_t length, const Text& fill)
{
    const std::size_t wanted = PadLength(length);
    const std::size_t kept = std::min(text.size(), wanted);
    return text.substr(0, kept) + Text(wanted - kept, FillCharacter(fill));
}

Text ReplaceAll(const Text& text, const Text& find, const Text& replacement)
{
    if (find.empty()) {
        return text;
    }
    Text result;
    std::size_t position = 0;
    while (position < text.size()) {
        if (text.compare(position, find.size(), find) == 0) {
            result += replacement;
            position += find.size();
        } else {
            result += text[position];
            position += 1;
        }
    }
    return result;
}

Text LowerCase(const Text& text)
{
    Text result = text;
    OsLowerCase(result);
    return result;
}

Text AsciiUpperCase(const Text& text)
{
    Text upper = text;
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return upper;
}

Text ExtensionOf(const Text& path)
{
    std::size_t position = path.size();
    while (position > 0) {
        position -= 1;
        const char character = path[position];
        if (character == '/' || character == '\\') {
            return Text();
        }
        if (character == '.') {
            const std::size_t start = position + 1;
            const std::size_t quote = path.find('"', start);
            return path.substr(start, quote == Text::npos ? Text::npos : quote - start);
        }
    }
    return Text();
}

bool TextEquals(const Text& a, const Text& b)
{
    return a == b;
}
