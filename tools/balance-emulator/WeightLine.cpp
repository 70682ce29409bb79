#include "WeightLine.h"

#include <cstdio>
#include <cstdlib>

namespace balance {
namespace {

bool isDigit(char character) {
    return character >= '0' && character <= '9';
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
        fraction.size() > 2) {
        return std::nullopt;
    }
    std::int64_t hundredths = 0;
    for (const char digit : whole) {
        if (!isDigit(digit) || hundredths > kMaxHundredths) {
            return std::nullopt;
        }
        hundredths = hundredths * 10 + (digit - '0') * 100;
    }
    std::int64_t scale = 10;
    for (const char digit : fraction) {
        if (!isDigit(digit)) {
            return std::nullopt;
        }
        hundredths += (digit - '0') * scale;
        scale /= 10;
    }
    if (hundredths > kMaxHundredths) {
        return std::nullopt;
    }
    return negative ? -hundredths : hundredths;
}

std::string weightText(std::int64_t hundredths) {
    const std::int64_t magnitude = std::llabs(hundredths);
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", hundredths < 0 ? "-" : "",
                  static_cast<long long>(magnitude / 100), static_cast<long long>(magnitude % 100));
    return text;
}

std::string weightLine(std::int64_t hundredths, bool stable) {
    const std::int64_t magnitude = std::llabs(hundredths);
    char line[32];
    std::snprintf(line, sizeof line, "%s,%c%05lld.%02lld  g\r\n", stable ? "ST" : "US",
                  hundredths < 0 ? '-' : '+', static_cast<long long>(magnitude / 100),
                  static_cast<long long>(magnitude % 100));
    return line;
}

} // namespace balance
