// Lines of 16 characters: a sign, the value right-aligned with its point, a blank and a unit of
// up to three letters, left blank while the reading is not stable ("+    12.34 g  "); or of 22,
// with an identification of 6 in front: "N     " net, "G#    " gross, "T     " tare. "High"
// and "Low" stand in the value field for an overload and an underload.
#include "BalanceDialect.h"
#include "ReadingValue.h"

#include <algorithm>
#include <optional>
#include <string>

namespace balance {
namespace {

constexpr WeightRequest kSbiRequests[] = {{"ESC P", "\x1b"
                                                    "P"}};

std::string_view withoutSign(std::string_view text) {
    reading::skipBlanks(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
        reading::skipBlanks(text);
    }
    while (text.ends_with(' ')) {
        text.remove_suffix(1);
    }
    return text;
}

// The line without its end and its identification; nullopt for a line too long or one of the
// tare memory, whose value is not the load on the pan.
std::optional<std::string_view> sbiValueField(std::string_view line) {
    line = reading::withoutLineEnd(line);
    if (line.size() > kMaxReadingLine) {
        return std::nullopt;
    }
    reading::skipBlanks(line);
    if (reading::takeWord(line, "T")) {
        return std::nullopt;
    }
    if (!reading::takeWord(line, "N")) {
        reading::takeWord(line, "G#");
    }
    return line;
}

BalanceReading parseSbiLine(std::string_view wholeLine) {
    const std::optional<std::string_view> field = sbiValueField(wholeLine);
    if (!field) {
        return {};
    }
    const std::string_view line = *field;
    const std::string_view shown = withoutSign(line);
    if (reading::sameIgnoringCase(shown, "High")) {
        return reading::beyondRange(ReadingState::Overload);
    }
    if (reading::sameIgnoringCase(shown, "Low")) {
        return reading::beyondRange(ReadingState::Underload);
    }
    BalanceReading parsed;
    if (!reading::readValue(line, parsed)) {
        return {};
    }
    parsed.state = parsed.unit.empty() ? ReadingState::Unstable : ReadingState::Stable;
    return parsed;
}

// "+    12.30 g  " shows "12.30 g", "    High" shows "High".
std::string sbiWeightText(std::string_view line) {
    return reading::asSent(sbiValueField(line).value_or(std::string_view()));
}

// The 16-character line: sign, blank, value in 8, blank, unit in 3 (blank while moving), CR LF.
std::string sbiLine(const ShownWeight& shown) {
    const bool negative = shown.steps < 0 || shown.state == ReadingState::Underload;
    const std::string value =
        shown.state == ReadingState::Overload ? "High"
        : shown.state == ReadingState::Underload
            ? "Low"
            : reading::decimalText(reading::magnitude(shown.steps), shown.decimals);
    std::string unit(shown.state == ReadingState::Stable ? shown.unit : std::string_view());
    unit.resize(std::max<std::size_t>(unit.size(), 3), ' ');
    return std::string(negative ? "- " : "+ ") + reading::rightAligned(value, 8) + " " + unit +
           "\r\n";
}

} // namespace

const BalanceDialect kSbiDialect = {
    .name = "sbi",
    .requests = kSbiRequests,
    .lineEnd = "\r\n",
    .zeroCommand = "\x1b"
                   "V", // newer models; older ones zero with their tare
    .tareCommand = "\x1b"
                   "T",
    .parse = parseSbiLine,
    .weightText = sbiWeightText,
    .weightTextNamesUnit = true,
    .line = sbiLine,
    .unknownCommandReply = {},
    .serialRequest = {},
    .serialNumber = nullptr,
};

} // namespace balance
