#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace balance {

// A fault that spoils every answer until it is set back to none. The hang-up is no lasting
// fault: it happens once, when it is asked for.
enum class Fault { None, Silence, Garbage, Zeros, Flood };

// More than the station's 2048-byte limit, put on the line at once.
constexpr std::size_t kFloodBytes = 3000;

std::optional<Fault> parseFault(std::string_view name);
std::string faultName(Fault fault);

// What goes on the line in place of the weight line; empty for silence. The flood is whole
// weight lines, at least kFloodBytes of them.
std::vector<std::uint8_t> spoilLine(Fault fault, const std::string& line, std::mt19937& random);

} // namespace balance
