#pragma once

#include "BalanceReading.h"

#include <cstdint>
#include <optional>

namespace balance {

// Where the balance's latest reading stands among the requests sent to it and the loads it has
// shown, so that a check can tell a reading asked for after a moment from an older one, and a
// load left on the pan from one put there since.
struct ReadingStamp {
    std::uint64_t requestsSent = 0;
    // The request the latest reading answers; 0 when there is none.
    std::uint64_t answered = 0;
    // How often what the balance shows has changed, counted over readings only: a lost line or
    // a reply that is no reading changes nothing.
    std::uint64_t displayChanges = 0;
};

// Keeps the stamp of one balance's readings.
class ReadingStamps {
public:
    void requestSent() { ++stamp_.requestsSent; }
    // The reply to the last request sent; none when the reading was lost with its line.
    void answered(const BalanceReading& reading);
    void lost() { stamp_.answered = 0; }
    const ReadingStamp& stamp() const { return stamp_; }

private:
    ReadingStamp stamp_;
    std::optional<BalanceReading> lastShown_;
};

// Whether the balance shows the same: the value and unit, or an overload or underload; settling
// or not does not count.
bool showsSame(const BalanceReading& a, const BalanceReading& b);

} // namespace balance
