// What a phase hands back to the driver: what it found, or why it refuses the
// run. Only the driver ends a run.
#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "runtime/text.hpp"

// How a refused run ends: as a failure, or as a function that is not
// supported yet (which waits for RETURN even without -p, for a program
// started by a double click).
enum class RefusalKind { kFailed, kUnsupported };

// The lines that end the run, after any the phase printed on its way.
struct Refusal {
    std::vector<Text> lines;
    RefusalKind kind = RefusalKind::kFailed;
};

// A phase that hands nothing on: no value when it went through.
using Refused = std::optional<Refusal>;

// What a phase found, or why it refuses.
template <typename Found>
using Outcome = std::variant<Found, Refusal>;

template <typename Found>
const Refusal* RefusalOf(const Outcome<Found>& outcome)
{
    return std::get_if<Refusal>(&outcome);
}
