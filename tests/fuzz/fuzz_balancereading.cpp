// Feeds arbitrary bytes to every balance dialect's line parser as one line and checks what must
// always hold: a reading it finds reads back the same once written out plainly in that dialect,
// and the dialect's line end changes nothing.
#include "BalanceDialect.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using balance::BalanceDialect;
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

// The value with its sign and all four decimals.
std::string valueText(const BalanceReading& reading) {
    const std::uint64_t magnitude = reading.tenThousandths < 0
                                        ? 0 - static_cast<std::uint64_t>(reading.tenThousandths)
                                        : static_cast<std::uint64_t>(reading.tenThousandths);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return (reading.tenThousandths < 0 ? "-" : "+") + std::to_string(magnitude / 10000) + "." +
           fraction;
}

// The reading as a stable or moving line of its own in the dialect.
std::string written(const BalanceDialect& dialect, const BalanceReading& reading) {
    const bool stable = reading.state == ReadingState::Stable;
    const std::string value = valueText(reading) + " " + reading.unit;
    if (&dialect == &balance::kSicsDialect)
        return (stable ? "S S " : "S D ") + value;
    if (&dialect == &balance::kSbiDialect)
        return "N     " + value;
    return (stable ? "ST," : "US,") + value;
}

void checkDialect(const BalanceDialect& dialect, const std::string& line) {
    const BalanceReading reading = dialect.parse(line);

    std::string_view content(line);
    while (!content.empty() && (content.back() == '\r' || content.back() == '\n'))
        content.remove_suffix(1);
    if (content.size() > balance::kMaxReadingLine)
        check(reading.state == ReadingState::NotAReading);

    const auto grams = reading.grams();
    switch (reading.state) {
    case ReadingState::NotAReading:
    case ReadingState::Overload:
    case ReadingState::Underload:
        check(reading.tenThousandths == 0 && reading.unit.empty() && !grams);
        break;
    case ReadingState::Stable:
    case ReadingState::Unstable: {
        check(grams.has_value() == isMass(reading.unit));
        check(!grams || std::isfinite(*grams));
        const std::string again = written(dialect, reading);
        if (again.size() <= balance::kMaxReadingLine)
            check(same(dialect.parse(again), reading));
        break;
    }
    }

    if (content.size() == line.size())
        check(same(dialect.parse(line + std::string(dialect.lineEnd)), reading));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (const BalanceDialect* dialect : balance::balanceDialects())
        checkDialect(*dialect, line);
    return 0;
}
