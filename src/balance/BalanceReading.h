#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace balance {

enum class ReadingState { Stable, Unstable, Overload, NotAReading };

// What one line of a balance's output says. An overload carries neither value nor unit: what a
// balance puts in their place then is no weight.
struct BalanceReading {
    ReadingState state = ReadingState::NotAReading;
    std::int64_t tenThousandths = 0; // the signed value as shown, in ten-thousandths of its unit
    std::string unit;                // as shown: "g", "mg", "kg", "ct", "pcs"; empty when none
    // The value in grams for a unit of mass (g, mg, kg, ct = 0.2 g); nullopt for pieces, an
    // unknown unit or no reading.
    std::optional<double> grams() const;
};

// Longer lines, line end left out, are no reading: a balance's line is far shorter.
inline constexpr std::size_t kMaxReadingLine = 64;

// One line of a balance's output, without or with its line end: a header "ST," (stable), "US,"
// (unstable) or "OL" (overload), or none for a balance that prints only when stable; then a sign,
// a value of at most 4 decimals and a unit, blanks allowed around each.
BalanceReading parseReading(std::string_view line);

} // namespace balance
