#pragma once

#include "Fault.h"
#include "RateAndFrame.h"
#include "WireFrame.h"

#include <optional>
#include <string>
#include <string_view>

namespace emulator {

enum class ControlVerb {
    Nothing, // blank line or # comment
    Place,
    Remove,
    Clear,
    List,
    Block,
    ReadOnly,
    Rate,
    Frame,
    Address,
    Delays,
    Fault,
    Hangup,
    Status,
    Quit,
};

struct TransponderShape {
    std::uint8_t type = 0;
    int blockCount = 0;
    int blockSize = 0;
};

// One control line, parsed. Only the fields of its verb are set.
struct ControlCommand {
    ControlVerb verb = ControlVerb::Nothing;
    wire::Bytes uid;                       // Place, Remove, Block, ReadOnly
    std::optional<TransponderShape> shape; // Place
    int blockIndex = 0;                    // Block
    wire::Bytes data;                      // Block
    bool on = false;                       // ReadOnly, Delays
    std::int32_t rate = 0;                 // Rate
    LineFrame frame = LineFrame::E81;      // Frame
    std::uint8_t address = 0;              // Address
    emulator::Fault fault;                 // Fault
};

// Words are separated by blanks; command words and on/off in any case. nullopt with error
// set for anything that is not a command with valid arguments.
std::optional<ControlCommand> parseControlCommand(std::string_view line, std::string& error);

} // namespace emulator
