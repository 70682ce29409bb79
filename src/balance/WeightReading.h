#pragma once

#include "BalanceReading.h"
#include "ReadingStamp.h"

#include <QString>

// The balance's latest reading as the balance subsystem keeps it, for those who show or check it.
class WeightReading {
public:
    virtual ~WeightReading() = default;
    // Eight characters cut from the balance's last reply, nine with a minus sign; empty until one
    // came.
    virtual QString WeightText() const = 0;
    // Whether WeightText names its unit, as a balance of another dialect shows it; otherwise it
    // is a bare number in grams.
    virtual bool WeightTextNamesUnit() const { return false; }
    // The same reply's line, understood; NotAReading until one came.
    virtual balance::BalanceReading Reading() const = 0;
    // Which request that reading answers, and how often the balance's display has changed.
    virtual balance::ReadingStamp Stamp() const = 0;
};
