#pragma once

#include <string>

// [Dispensing] of the station's INI file: count by weight, off unless switched on.
struct DispensingSettings {
    static constexpr double defaultTolerancePercent = 5;
    static constexpr int defaultWeightWaitSeconds = 10;

    // WeightCheck=1
    bool weightCheck = false;
    // TolerancePercent: 0 to 100; the default when missing or unreadable.
    double tolerancePercent = defaultTolerancePercent;
    // WeightWaitSeconds: how long a right container waits for its weight, 1 to 120.
    int weightWaitSeconds = defaultWeightWaitSeconds;

    static DispensingSettings read(const std::string& iniPath);
};
