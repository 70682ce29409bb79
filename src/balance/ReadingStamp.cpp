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

bool showsSame(const BalanceReading& a, const BalanceReading& b) {
    const bool overloadA = a.state == ReadingState::Overload;
    const bool overloadB = b.state == ReadingState::Overload;
    if (overloadA || overloadB)
        return overloadA == overloadB;
    return a.tenThousandths == b.tenThousandths && a.unit == b.unit;
}

} // namespace balance
