#include "ReadingStamp.h"

namespace balance {

void ReadingStamps::answered(const BalanceReading& reading) {
    stamp_.answered = stamp_.requestsSent;
    if (reading.state == ReadingState::NotAReading)
        return;
    if (!lastShown_ || !showsSame(*lastShown_, reading))
        ++stamp_.displayChanges;
    lastShown_ = reading;
}

namespace {

bool beyondRange(const BalanceReading& reading) {
    return reading.state == ReadingState::Overload || reading.state == ReadingState::Underload;
}

} // namespace

bool showsSame(const BalanceReading& a, const BalanceReading& b) {
    if (beyondRange(a) || beyondRange(b))
        return a.state == b.state;
    return a.tenThousandths == b.tenThousandths && a.unit == b.unit;
}

} // namespace balance
