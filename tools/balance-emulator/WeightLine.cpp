#include "WeightLine.h"

#include "ReadingValue.h"

namespace balance {
namespace {

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

std::int64_t powerOfTen(int exponent) {
    std::int64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

} // namespace

std::optional<std::int64_t> parseWeight(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || (point != std::string_view::npos && fraction.empty()) ||
        fraction.size() > static_cast<std::size_t>(kMaxDecimals)) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char digit : whole) {
        if (!isDigit(digit) || value > kMaxTenThousandths) {
            return std::nullopt;
        }
        value = value * 10 + (digit - '0') * powerOfTen(kMaxDecimals);
    }
    std::int64_t scale = powerOfTen(kMaxDecimals - 1);
    for (const char digit : fraction) {
        if (!isDigit(digit)) {
            return std::nullopt;
        }
        value += (digit - '0') * scale;
        scale /= 10;
    }
    if (value > kMaxTenThousandths) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string weightText(std::int64_t tenThousandths) {
    std::string text = reading::decimalText(reading::magnitude(tenThousandths), kMaxDecimals);
    while (text.size() > text.find('.') + 3 && text.back() == '0') {
        text.pop_back();
    }
    return (tenThousandths < 0 ? "-" : "") + text;
}

std::string weightLine(const Display& display, const BalanceDialect& dialect) {
    const std::int64_t step = powerOfTen(kMaxDecimals - display.decimals);
    const auto steps = static_cast<std::int64_t>(
        (reading::magnitude(display.tenThousandths) + static_cast<std::uint64_t>(step / 2)) /
        static_cast<std::uint64_t>(step));
    ShownWeight shown;
    shown.state = display.overload    ? ReadingState::Overload
                  : display.underload ? ReadingState::Underload
                  : display.stable    ? ReadingState::Stable
                                      : ReadingState::Unstable;
    shown.steps = display.tenThousandths < 0 ? -steps : steps;
    shown.decimals = display.decimals;
    shown.unit = display.unit;
    return dialect.line(shown);
}

} // namespace balance
