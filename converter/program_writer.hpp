// Writes the sprites as a C64 program file (-prg): a two-byte load address,
// low byte first, then the bytes that -b writes, so that LOAD"...",8,1 puts
// them at that address.
#pragma once

#include <cstdint>
#include <optional>

#include "output_file.hpp"
#include "sprite_table.hpp"

constexpr std::uint16_t kDefaultLoadAddress = 0x2000;

// -addr N as given: decimal, or hexadecimal after "$" or "0x"; a load address
// of 0-65535 that is a multiple of 64 (a sprite's pointer can reach it).
// Without -addr, kDefaultLoadAddress. Anything else is refused with a line.
Outcome<std::uint16_t> ReadLoadAddress(const std::optional<Text>& value);

// Refuses the run with a message when no -prg name was given, when the name
// is the sheet or another output of the run, when the sprites would end past
// $FFFF, or when the file cannot be created or written.
Refused WriteProgramFile(const OutputOptions& options, const SpriteTable& table);
