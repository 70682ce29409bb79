#pragma once

#include "BalanceReading.h"
#include "ReadingStamp.h"

#include <QString>
#include <cstdint>
#include <optional>

// Count by weight: the weight a line's count of units should weigh, and what a reading of the
// balance says about it.
struct WeightWindow {
    double expectedGrams = 0;
    double lowGrams = 0;
    double highGrams = 0;

    // quantity units of unitGrams each, within tolerancePercent of their weight either way.
    static WeightWindow of(double quantity, double unitGrams, double tolerancePercent);
    // "12.34", as the journal and the window show grams.
    static QString gramsText(double grams);
};

enum class WeightVerdict {
    Within,    // a stable reading inside the window: the line may be stored
    Outside,   // a stable reading outside it: the count is wrong
    NotSettled // unstable, overloaded, unreadable or no mass at all: never passes
};

WeightVerdict judgeReading(const balance::BalanceReading& reading, const WeightWindow& window);

// What one look at the balance says of a line being weighed.
enum class WeighingLook {
    Weighs,        // a settled reading within the window, asked for after the container came
    NotYet,        // asked for before the container came, or not within the window (yet)
    LoadOfLastLine // within, but the load that stored the weighed line before, never changed
};

// `requestsBefore`: the requests sent to the balance when the container came; `lastStoreDisplay`:
// the balance's display count when the weighed line before was stored.
WeighingLook weighingLook(const balance::BalanceReading& reading,
                          const balance::ReadingStamp& stamp, const WeightWindow& window,
                          std::uint64_t requestsBefore,
                          std::optional<std::uint64_t> lastStoreDisplay);
