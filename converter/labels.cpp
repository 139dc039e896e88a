#include "labels.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Upper case: assemblers read instructions and registers in any case. The
// 6502's and 65C02's instructions, the registers and ca65's address sizes.
constexpr std::array<std::string_view, 71> kAssemblerWords = {
    "ADC", "AND", "ASL", "BCC", "BCS", "BEQ", "BIT", "BMI", "BNE", "BPL", "BRK", "BVC", "BVS", "CLC", "CLD",
    "CLI", "CLV", "CMP", "CPX", "CPY", "DEC", "DEX", "DEY", "EOR", "INC", "INX", "INY", "JMP", "JSR", "LDA",
    "LDX", "LDY", "LSR", "NOP", "ORA", "PHA", "PHP", "PLA", "PLP", "ROL", "ROR", "RTI", "RTS", "SBC", "SEC",
    "SED", "SEI", "STA", "STX", "STY", "TAX", "TAY", "TSX", "TXA", "TXS", "TYA", "BRA", "PHX", "PHY", "PLX",
    "PLY", "STZ", "TRB", "TSB", "STP", "WAI", "A", "F", "X", "Y", "Z"};
// C99's keywords and cc65's own.
constexpr std::array<std::string_view, 39> kCWords = {
    "AUTO",     "BREAK",    "CASE",   "CHAR",   "CONST",    "CONTINUE", "DEFAULT", "DO",     "DOUBLE", "ELSE",
    "ENUM",     "EXTERN",   "FLOAT",  "FOR",    "GOTO",     "IF",       "INLINE",  "INT",    "LONG",   "REGISTER",
    "RESTRICT", "RETURN",   "SHORT",  "SIGNED", "SIZEOF",   "STATIC",   "STRUCT",  "SWITCH", "TYPEDEF", "UNION",
    "UNSIGNED", "VOID",     "VOLATILE", "WHILE", "ASM",     "FASTCALL", "CDECL",   "NEAR",   "FAR"};

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsIdentifier(const Text& name)
{
    if (name.empty() || name.size() > kLongestLabel || !IsLetter(name[0])) {
        return false;
    }
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

template <std::size_t N>
bool Holds(const std::array<std::string_view, N>& words, const Text& word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

} // namespace

Outcome<Text> ReadLabel(const std::optional<Text>& given)
{
    if (!given) {
        return Text(kDefaultName);
    }
    if (given->empty()) {
        return Refusal{{"> Error: No name for -label."}};
    }
    if (!IsIdentifier(*given)) {
        return Refusal{{"> Error: -label takes 1 to 32 letters, digits and _, starting with a letter, not: " +
                        *given}};
    }
    const Text upper = AsciiUpperCase(*given);
    if (Holds(kAssemblerWords, upper) || Holds(kCWords, upper)) {
        return Refusal{{"> Error: -label cannot take a name that an assembler or C reserves: " + *given}};
    }
    return *given;
}
