#include "BalanceReading.h"

#include <limits>

namespace balance {
namespace {

constexpr std::size_t kMaxDecimals = 4;

struct MassUnit {
    std::string_view name;
    double grams;
};

constexpr MassUnit kMassUnits[] = {{"g", 1.0}, {"mg", 0.001}, {"kg", 1000.0}, {"ct", 0.2}};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
}

std::string_view withoutLineEnd(std::string_view line) {
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// False when the value would no longer fit.
bool appendDigit(std::int64_t& value, char digit) {
    const int added = digit - '0';
    if (value > (std::numeric_limits<std::int64_t>::max() - added) / 10) {
        return false;
    }
    value = value * 10 + added;
    return true;
}

// A signed value, then its unit or none, and nothing else but blanks.
bool readValue(std::string_view text, BalanceReading& reading) {
    skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
        skipBlanks(text);
    }
    std::int64_t value = 0;
    std::size_t digits = 0;
    std::optional<std::size_t> decimals;
    for (; !text.empty(); text.remove_prefix(1)) {
        const char c = text.front();
        if (c == '.' && !decimals) {
            decimals = 0;
            continue;
        }
        if (!isDigit(c)) {
            break;
        }
        if (!appendDigit(value, c) || (decimals && ++*decimals > kMaxDecimals)) {
            return false;
        }
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    for (std::size_t shown = decimals.value_or(0); shown < kMaxDecimals; ++shown) {
        if (!appendDigit(value, '0')) {
            return false;
        }
    }
    skipBlanks(text);
    std::size_t unitLength = 0;
    while (unitLength < text.size() && isLetter(text[unitLength])) {
        ++unitLength;
    }
    const std::string_view unit = text.substr(0, unitLength);
    text.remove_prefix(unitLength);
    skipBlanks(text);
    if (!text.empty()) {
        return false;
    }
    reading.tenThousandths = negative ? -value : value;
    reading.unit = unit;
    return true;
}

} // namespace

std::optional<double> BalanceReading::grams() const {
    if (state != ReadingState::Stable && state != ReadingState::Unstable) {
        return std::nullopt;
    }
    for (const MassUnit& mass : kMassUnits) {
        if (unit == mass.name) {
            return static_cast<double>(tenThousandths) * mass.grams / 10000.0;
        }
    }
    return std::nullopt;
}

BalanceReading parseReading(std::string_view line) {
    line = withoutLineEnd(line);
    if (line.size() > kMaxReadingLine) {
        return {};
    }
    BalanceReading reading;
    ReadingState state = ReadingState::Stable;
    if (line.size() >= 2 && isCapital(line[0]) && isCapital(line[1])) {
        const std::string_view header = line.substr(0, 2);
        line.remove_prefix(2);
        const bool commaNext = !line.empty() && line.front() == ',';
        if (header == "OL" && (line.empty() || commaNext)) {
            reading.state = ReadingState::Overload;
            return reading;
        }
        if (!commaNext || (header != "ST" && header != "US")) {
            return {};
        }
        line.remove_prefix(1);
        state = header == "ST" ? ReadingState::Stable : ReadingState::Unstable;
    }
    if (!readValue(line, reading)) {
        return {};
    }
    reading.state = state;
    return reading;
}

} // namespace balance
