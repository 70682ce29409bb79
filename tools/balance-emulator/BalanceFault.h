#pragma once

#include "NameTable.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace balance {

// A fault that spoils every answer until it is set back to none. The hang-up is no lasting
// fault: it happens once, when it is asked for.
enum class Fault { None, Silence, Garbage, Zeros, Flood };

// More than the station's 2048-byte limit, put on the line at once.
constexpr std::size_t kFloodBytes = 3000;

inline constexpr emulator::Named<Fault> kFaultNames[] = {{"none", Fault::None},
                                                         {"silence", Fault::Silence},
                                                         {"garbage", Fault::Garbage},
                                                         {"zeros", Fault::Zeros},
                                                         {"flood", Fault::Flood}};

// What goes on the line in place of the weight line; empty for silence. The flood is whole
// weight lines, at least kFloodBytes of them.
std::vector<std::uint8_t> spoilLine(Fault fault, const std::string& line, std::mt19937& random);

} // namespace balance
