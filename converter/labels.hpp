// -label name: the name of the sprites in the assembler source's labels, the
// C file's array and constants and the BASIC listing's title.
#pragma once

#include <optional>

#include "refusal.hpp"
#include "runtime/text.hpp"

// The name the C file and the BASIC listing use without -label.
inline constexpr char kDefaultName[] = "sprites";

// The longest name -label takes; name_count and the sprites' name_N stay
// short enough for every assembler's listing.
inline constexpr std::size_t kLongestLabel = 32;

// -label name as given: 1 to kLongestLabel letters, digits and "_", starting
// with a letter, and in no letter case a 6502 or 65C02 instruction, a
// register or address-size letter (a, f, x, y, z) or a keyword of C or cc65, so that
// ACME, xa65, ca65, 64tass, dasm and C all take it and its name_N labels.
// Without -label, kDefaultName. Anything else is refused with a line.
Outcome<Text> ReadLabel(const std::optional<Text>& given);
