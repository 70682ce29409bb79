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

WeighingLook weighingLook(const balance::BalanceReading& reading,
                          const balance::ReadingStamp& stamp, const WeightWindow& window,
                          std::uint64_t requestsBefore,
                          std::optional<std::uint64_t> lastStoreDisplay) {
    // Tablets of the last line left on the pan, or a reading from before the container came,
    // would count for a line they do not belong to.
    if (stamp.answered <= requestsBefore || judgeReading(reading, window) != WeightVerdict::Within)
        return WeighingLook::NotYet;
    return lastStoreDisplay == stamp.displayChanges ? WeighingLook::LoadOfLastLine
                                                    : WeighingLook::Weighs;
}
