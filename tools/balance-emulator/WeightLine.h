#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace balance {

// The most the line's 8-character value can show: 99999.99, in hundredths of a gram.
constexpr std::int64_t kMaxHundredths = 9999999;

// A decimal weight in grams with at most 2 decimals and a sign, e.g. "12.34" or "-3.5";
// nullopt for anything else or for what the line cannot show.
std::optional<std::int64_t> parseWeight(std::string_view text);
// The weight as the control commands show it: "12.34", "-3.50".
std::string weightText(std::int64_t hundredths);

// The balance's line: "ST" (stable) or "US", a comma, the sign, the value zero-padded to 8
// characters with 2 decimals, two blanks, the unit "g", CR LF; e.g. "ST,+00012.34  g\r\n".
std::string weightLine(std::int64_t hundredths, bool stable);

} // namespace balance
