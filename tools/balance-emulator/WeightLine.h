#pragma once

#include "BalanceDialect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace balance {

// The most a weight may be set to, in ten-thousandths: 99999.9999.
constexpr std::int64_t kMaxTenThousandths = 999999999;
constexpr int kMaxDecimals = 4;

inline constexpr std::string_view kUnits[] = {"g", "mg", "kg", "ct", "pcs"};

// A decimal weight with at most 4 decimals and a sign, e.g. "12.34" or "-3.5", in
// ten-thousandths; nullopt for anything else or beyond kMaxTenThousandths.
std::optional<std::int64_t> parseWeight(std::string_view text);
// The weight as the control commands show it: at least 2 decimals, more where it has them:
// "12.34", "-3.50", "0.1234".
std::string weightText(std::int64_t tenThousandths);

// What the balance shows.
struct Display {
    std::int64_t tenThousandths = 0; // before rounding to decimals
    int decimals = 2;
    std::string_view unit = kUnits[0];
    bool stable = true;
    bool overload = false;
    bool underload = false; // an overload wins
};

// The balance's line in its dialect, the value rounded half away from zero to its decimals, as a
// display rounds; e.g. "ST,+00012.34  g\r\n" in the station's own.
std::string weightLine(const Display& display, const BalanceDialect& dialect);

} // namespace balance
