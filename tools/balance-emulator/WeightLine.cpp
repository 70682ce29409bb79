#include "WeightLine.h"

#include <cstdio>
#include <cstdlib>

namespace balance {
namespace {

constexpr std::size_t kValueWidth = 8;
constexpr std::size_t kUnitWidth = 3;

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

// A magnitude in steps of 10^-decimals, with its point.
std::string decimalText(std::int64_t steps, int decimals) {
    const std::int64_t scale = powerOfTen(decimals);
    char text[32];
    if (decimals == 0) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(steps));
    } else {
        std::snprintf(text, sizeof text, "%lld.%0*lld", static_cast<long long>(steps / scale),
                      decimals, static_cast<long long>(steps % scale));
    }
    return text;
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
    std::string text = decimalText(std::llabs(tenThousandths), kMaxDecimals);
    while (text.size() > text.find('.') + 3 && text.back() == '0') {
        text.pop_back();
    }
    return (tenThousandths < 0 ? "-" : "") + text;
}

std::string weightLine(const Display& display) {
    const std::int64_t step = powerOfTen(kMaxDecimals - display.decimals);
    // Rounded half away from zero, as a display rounds.
    const std::int64_t steps = (std::llabs(display.tenThousandths) + step / 2) / step;
    const char sign = display.tenThousandths < 0 && steps != 0 ? '-' : '+';
    std::string line = display.overload ? "OL," : display.stable ? "ST," : "US,";
    line += sign;
    if (display.overload) {
        line += "9999999E+19";
    } else {
        std::string value = decimalText(steps, display.decimals);
        if (value.size() < kValueWidth) {
            value.insert(0, kValueWidth - value.size(), '0');
        }
        const std::size_t blanks =
            display.unit.size() < kUnitWidth ? kUnitWidth - display.unit.size() : 0;
        line += value + std::string(blanks, ' ') + std::string(display.unit);
    }
    return line + "\r\n";
}

} // namespace balance
