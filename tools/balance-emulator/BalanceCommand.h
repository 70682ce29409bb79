#pragma once

#include "BalanceFault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace balance {

enum class Verb { Nothing, Weight, Stable, Fault, Hangup, Status, Quit };

// One control line, parsed. Only the field of its verb is set.
struct Command {
    Verb verb = Verb::Nothing;
    std::int64_t hundredths = 0; // Weight
    bool stable = true;          // Stable
    balance::Fault fault = balance::Fault::None;
};

// Blank lines and # comments are Nothing; nullopt with error set for anything that is not a
// command with valid arguments.
std::optional<Command> parseCommand(std::string_view line, std::string& error);

} // namespace balance
