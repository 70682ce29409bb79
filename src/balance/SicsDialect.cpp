// The standard interface command set, level 0: "S S      12.34 g" stable, "S D" moving, "S +"
// overload, "S -" underload, "S I" not now; "ES", "ET", "EL" are the balance's errors.
#include "BalanceDialect.h"
#include "ReadingValue.h"

namespace balance {
namespace {

constexpr WeightRequest kSicsRequests[] = {{"SI", "SI\r\n"}, {"S", "S\r\n"}};

BalanceReading parseSicsLine(std::string_view line) {
    line = reading::withoutLineEnd(line);
    if (line.size() > kMaxReadingLine || !reading::takeWord(line, "S")) {
        return {};
    }
    reading::skipBlanks(line);
    if (reading::takeWord(line, "+")) {
        return reading::beyondRange(ReadingState::Overload);
    }
    if (reading::takeWord(line, "-")) {
        return reading::beyondRange(ReadingState::Underload);
    }
    ReadingState state = ReadingState::Stable;
    if (!reading::takeWord(line, "S")) {
        if (!reading::takeWord(line, "D")) {
            return {};
        }
        state = ReadingState::Unstable;
    }
    // A unit always follows the value: a line without one was cut short.
    BalanceReading parsed;
    if (!reading::readValue(line, parsed) || parsed.unit.empty()) {
        return {};
    }
    parsed.state = state;
    return parsed;
}

// After the status, as sent: "S S      12.34 g" shows "12.34 g".
std::string sicsWeightText(std::string_view line) {
    line = reading::withoutLineEnd(line);
    if (line.size() > kMaxReadingLine || !reading::takeWord(line, "S")) {
        return {};
    }
    reading::skipBlanks(line);
    if (!reading::takeWord(line, "S") && !reading::takeWord(line, "D")) {
        return {};
    }
    return reading::asSent(line);
}

// The signed value right-aligned in 10 characters, a blank, the unit.
std::string sicsLine(const ShownWeight& shown) {
    switch (shown.state) {
    case ReadingState::Overload:
        return "S +\r\n";
    case ReadingState::Underload:
        return "S -\r\n";
    default:
        break;
    }
    const std::string value = (shown.steps < 0 ? "-" : "") +
                              reading::decimalText(reading::magnitude(shown.steps), shown.decimals);
    return (shown.state == ReadingState::Stable ? "S S " : "S D ") +
           reading::rightAligned(value, 10) + " " + std::string(shown.unit) + "\r\n";
}

// I4 A "serial number"
std::optional<std::string> sicsSerialNumber(std::string_view line) {
    line = reading::withoutLineEnd(line);
    if (line.size() > kMaxReadingLine || !reading::takeWord(line, "I4")) {
        return std::nullopt;
    }
    reading::skipBlanks(line);
    if (!reading::takeWord(line, "A")) {
        return std::nullopt;
    }
    reading::skipBlanks(line);
    while (line.ends_with(' ')) {
        line.remove_suffix(1);
    }
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') {
        return std::nullopt;
    }
    return std::string(line.substr(1, line.size() - 2));
}

} // namespace

const BalanceDialect kSicsDialect = {
    .name = "sics",
    .requests = kSicsRequests,
    .lineEnd = "\r\n",
    .zeroCommand = "Z\r\n",
    .tareCommand = "T\r\n",
    .parse = parseSicsLine,
    .weightText = sicsWeightText,
    .weightTextNamesUnit = true,
    .line = sicsLine,
    .unknownCommandReply = "ES\r\n",
    .serialRequest = "I4\r\n",
    .serialNumber = sicsSerialNumber,
};

} // namespace balance
