// Feeds arbitrary bytes to the balance line parser as one line and checks what must always hold:
// a reading it finds reads back the same once written out plainly, and a line end changes
// nothing.
#include "BalanceReading.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using balance::BalanceReading;
using balance::ReadingState;

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool same(const BalanceReading& a, const BalanceReading& b) {
    return a.state == b.state && a.tenThousandths == b.tenThousandths && a.unit == b.unit;
}

bool isMass(const std::string& unit) {
    return unit == "g" || unit == "mg" || unit == "kg" || unit == "ct";
}

// The reading as a stable or unstable line of its own, all four decimals shown.
std::string written(const BalanceReading& reading) {
    const std::uint64_t magnitude = reading.tenThousandths < 0
                                        ? 0 - static_cast<std::uint64_t>(reading.tenThousandths)
                                        : static_cast<std::uint64_t>(reading.tenThousandths);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return std::string(reading.state == ReadingState::Stable ? "ST," : "US,") +
           (reading.tenThousandths < 0 ? "-" : "+") + std::to_string(magnitude / 10000) + "." +
           fraction + " " + reading.unit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const BalanceReading reading = balance::parseReading(line);

    std::string_view content(line);
    while (!content.empty() && (content.back() == '\r' || content.back() == '\n'))
        content.remove_suffix(1);
    if (content.size() > balance::kMaxReadingLine)
        check(reading.state == ReadingState::NotAReading);

    const auto grams = reading.grams();
    switch (reading.state) {
    case ReadingState::NotAReading:
    case ReadingState::Overload:
        check(reading.tenThousandths == 0 && reading.unit.empty() && !grams);
        break;
    case ReadingState::Stable:
    case ReadingState::Unstable: {
        check(grams.has_value() == isMass(reading.unit));
        check(!grams || std::isfinite(*grams));
        const std::string again = written(reading);
        if (again.size() <= balance::kMaxReadingLine)
            check(same(balance::parseReading(again), reading));
        break;
    }
    }

    if (content.size() == line.size())
        check(same(balance::parseReading(line + "\r\n"), reading));
    return 0;
}
