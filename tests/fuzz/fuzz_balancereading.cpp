// Feeds arbitrary bytes to every balance dialect's line parser as one line and checks what must
// always hold: a reading it finds reads back the same once the dialect writes it as its own line,
// the dialect's line end changes nothing, and the weight shown is no longer than the line.
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

// The reading as the dialect's own line, all four decimals shown.
std::string written(const BalanceDialect& dialect, const BalanceReading& reading) {
    balance::ShownWeight shown;
    shown.state = reading.state;
    shown.steps = reading.tenThousandths;
    shown.decimals = 4;
    shown.unit = reading.unit;
    return dialect.line(shown);
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
        if (again.size() <= balance::kMaxReadingLine + dialect.lineEnd.size())
            check(same(dialect.parse(again), reading));
        break;
    }
    }

    // The station's own cut puts a minus sign in front of what it takes.
    check(dialect.weightText(line).size() <= line.size() + 1);

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
