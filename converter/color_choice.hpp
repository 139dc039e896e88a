// -colors: which C64 colours the sprites share. In multicolour the bit pair 00
// is the background, 01 and 11 the two shared multicolours and 10 each
// sprite's own colour; in hires the bit 0 is the background and 1 the
// sprite's own colour. What -bg and -mc do not fix is chosen so that every
// sprite converts, when any choice does.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "picture.hpp"
#include "run_control.hpp"
#include "shared_colors.hpp"

// The colours -bg and -mc fix.
struct FixedColors {
    std::optional<std::uint8_t> background;
    std::optional<std::array<std::uint8_t, 2>> multicolors; // 01 and 11
};

// Reads -bg and -mc; a value that is no colour number 0-15, equal numbers, or
// -mc with -hires end the run with a line that says so.
FixedColors ReadFixedColors(const RunOptions& options);

// Warns of every sprite whose pixel pairs hold two colours, then chooses the
// shared colours; ends the run, naming every sprite that does not fit, when no
// choice converts them all.
SharedColors ChooseSharedColors(const RunOptions& options, const SourceBitmap& bitmap, const FixedColors& fixed);
