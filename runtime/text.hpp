// Text operations: every number, padding and comparison the converter prints
// or tests goes through these. All are pure functions returning new texts.
#pragma once

#include <cstdint>
#include <string>

using Text = std::string;

// The upper-case hexadecimal digits, indexed by their value.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

Text DecimalText(std::int64_t value);

// widthClass selects how many low bits are shown: 1, 11, 24 -> 8; 3, 25 -> 16;
// 5 -> 32; every other value -> 64. Leading zero digits are left out.
Text HexText(std::int64_t value, std::int64_t widthClass);

// Both give exactly max(length, 0) characters: a longer text is cut at its right
// end, a shorter one is filled with the first character of fill (a blank when
// fill is empty).
Text PadLeft(const Text& text, std::int64_t length, const Text& fill = Text());
Text PadRight(const Text& text, std::int64_t length, const Text& fill = Text());

// Replaces every occurrence of find, left to right, never rescanning a
// replacement. An empty find leaves the text unchanged.
Text ReplaceAll(const Text& text, const Text& find, const Text& replacement);

// Lower-cases by the platform's rules for its 8-bit code page; the length stays.
Text LowerCase(const Text& text);

// Upper-cases the ASCII letters a-z only, whatever the code page.
Text AsciiUpperCase(const Text& text);

// The characters after the last "." of the last path component, up to a double
// quote; empty when there is no such ".".
Text ExtensionOf(const Text& path);

// Byte for byte, case-sensitive.
bool TextEquals(const Text& a, const Text& b);
