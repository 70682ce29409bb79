#include "WeightCheck.h"

#include <cmath>

WeightWindow WeightWindow::of(double quantity, double unitGrams, double tolerancePercent) {
    const double expected = quantity * unitGrams;
    const double margin = std::abs(expected) * tolerancePercent / 100.0;
    return {expected, expected - margin, expected + margin};
}

QString WeightWindow::gramsText(double grams) {
    return QString::number(grams, 'f', 2);
}

WeightVerdict judgeReading(const balance::BalanceReading& reading, const WeightWindow& window) {
    const std::optional<double> grams = reading.grams();
    if (reading.state != balance::ReadingState::Stable || !grams)
        return WeightVerdict::NotSettled;
    // Sums such as 10 × 0.1 g land a hair beside the edge they stand for.
    constexpr double slack = 1e-9;
    return *grams >= window.lowGrams - slack && *grams <= window.highGrams + slack
               ? WeightVerdict::Within
               : WeightVerdict::Outside;
}
