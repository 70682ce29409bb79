#include "ReadingValue.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace balance::reading {
namespace {

constexpr std::size_t kMaxDecimals = 4;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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

} // namespace

std::string_view withoutLineEnd(std::string_view line) {
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lowered(x) == lowered(y); });
}

bool takeWord(std::string_view& text, std::string_view word) {
    if (!text.starts_with(word) || (text.size() > word.size() && text[word.size()] != ' ')) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

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

std::string asSent(std::string_view text) {
    skipBlanks(text);
    std::string shown;
    if (text.starts_with('+') || text.starts_with('-')) {
        if (text.front() == '-') {
            shown += '-';
        }
        text.remove_prefix(1);
        skipBlanks(text);
    }
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != ' ' || (at + 1 < text.size() && text[at + 1] != ' ')) {
            shown += text[at];
        }
    }
    while (shown.ends_with(' ')) {
        shown.pop_back();
    }
    return shown;
}

std::string decimalText(std::uint64_t steps, int decimals) {
    std::string digits = std::to_string(steps);
    const auto places = static_cast<std::size_t>(decimals);
    if (places == 0) {
        return digits;
    }
    if (digits.size() <= places) {
        digits.insert(0, places + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - places, 1, '.');
    return digits;
}

std::string rightAligned(std::string_view text, std::size_t width) {
    std::string aligned(text.size() < width ? width - text.size() : 0, ' ');
    return aligned.append(text);
}

std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

BalanceReading beyondRange(ReadingState state) {
    BalanceReading reading;
    reading.state = state;
    return reading;
}

} // namespace balance::reading
