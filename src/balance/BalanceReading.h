#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace balance {

enum class ReadingState { Stable, Unstable, Overload, Underload, NotAReading };

// What one line of a balance's output says. An overload or underload carries neither value nor
// unit: what a balance puts in their place then is no weight.
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

} // namespace balance
