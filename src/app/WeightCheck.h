#pragma once

#include "BalanceReading.h"

#include <QString>

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
