#include "program_writer.hpp"


namespace {

constexpr std::int64_t kAddressSpace = 0x10000;
constexpr std::int64_t kSpriteRecordBytes = 64;

// The value of digits in this base (10 or 16), or nothing for an empty text,
// another character or a value past the address space.
std::optional<std::int64_t> NumberOf(const Text& digits, std::int64_t base)
{
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char digit : digits) {
        const std::size_t lower = Text("0123456789abcdef").find(digit);
        const std::size_t place = lower != Text::npos ? lower : Text("0123456789ABCDEF").find(digit);
        if (place == Text::npos || static_cast<std::int64_t>(place) >= base) {
            return std::nullopt;
        }
        value = value * base + static_cast<std::int64_t>(place);
        if (value >= kAddressSpace) {
            return std::nullopt;
        }
    }
    return value;
}

std::optional<std::int64_t> AddressOf(const Text& value)
{
    if (value.starts_with("$")) {
        return NumberOf(value.substr(1), 16);
    }
    if (value.starts_with("0x") || value.starts_with("0X")) {
        return NumberOf(value.substr(2), 16);
    }
    return NumberOf(value, 10);
}

// "$2000": an address as the C64's monitors show it.
Text AddressText(std::int64_t address)
{
    return "$" + PadLeft(HexText(address, 0), 4, "0");
}

// The sprites' 64 bytes each must end at $FFFF at the latest.
Refused CheckProgramEnd(std::int64_t address, std::int64_t sprites)
{
    const std::int64_t bytes = sprites * kSpriteRecordBytes;
    if (bytes > kAddressSpace) {
        return Refusal{{"> Error: " + DecimalText(sprites) + " sprites (" + DecimalText(bytes) +
                        " bytes) do not fit the C64's 65536 bytes."}};
    }
    if (address + bytes > kAddressSpace) {
        return Refusal{{"> Error: " + DecimalText(sprites) + " sprites (" + DecimalText(bytes) + " bytes) at " +
                        AddressText(address) + " end past $FFFF; -addr " + AddressText(kAddressSpace - bytes) +
                        " is the highest for them."}};
    }
    return {};
}

} // namespace

Outcome<std::uint16_t> ReadLoadAddress(const std::optional<Text>& value)
{
    if (!value) {
        return kDefaultLoadAddress;
    }
    const std::optional<std::int64_t> address = AddressOf(*value);
    if (!address) {
        return Refusal{{"> Error: -addr takes an address from 0 to 65535, in decimal or as $hex or 0xhex, not: " +
                        *value}};
    }
    if (*address % kSpriteRecordBytes != 0) {
        return Refusal{{"> Error: -addr takes a multiple of 64, where a sprite can start, not: " + *value}};
    }
    return static_cast<std::uint16_t>(*address); // below 65536 here
}

Refused WriteProgramFile(const OutputOptions& options, const SpriteTable& table)
{
    if (Refused refused = CheckProgramEnd(options.loadAddress, SpriteCount(table))) {
        return refused;
    }
    const Outcome<FileHandle> opened =
        OpenOutputFile(options, &OutputOptions::programFile,
                       "> Error: No destination filename for program output.");
    if (const Refusal* refusal = RefusalOf(opened)) {
        return *refusal;
    }
    const FileHandle file = std::get<FileHandle>(opened);
    const std::uint8_t address[] = {static_cast<std::uint8_t>(options.loadAddress & 0xFF),
                                    static_cast<std::uint8_t>(options.loadAddress >> 8)};
    WriteBlock(file, address, sizeof address);
    WriteSpriteRecords(file, table, options.realColors);
    return FinishExport(file, options.programFile,
                        "> Exporting data to C64 program format, loading at " + AddressText(options.loadAddress) +
                            " ...");
}
