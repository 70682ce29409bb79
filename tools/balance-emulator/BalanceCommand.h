#pragma once

#include "BalanceFault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace balance {

enum class Verb {
    Nothing,
    Weight,
    Stable,
    Overload,
    Underload,
    Unit,
    Decimals,
    Mode,
    Fault,
    Hangup,
    Status,
    Quit
};

// One control line, parsed. Only the field of its verb is set.
struct Command {
    Verb verb = Verb::Nothing;
    std::int64_t tenThousandths = 0; // Weight
    bool on = true;                  // Stable, Overload, Underload
    std::string_view unit;           // Unit: one of kUnits
    int decimals = 0;                // Decimals
    bool continuous = false;         // Mode
    balance::Fault fault = balance::Fault::None;
};

// Blank lines and # comments are Nothing; nullopt with error set for anything that is not a
// command with valid arguments.
std::optional<Command> parseCommand(std::string_view line, std::string& error);

} // namespace balance
