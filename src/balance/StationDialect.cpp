// The station's own balances: a line headed "ST," (stable), "US," (unstable) or "OL"
// (overload), e.g. "ST,+00012.34  g", answering "PRT" or "Q".
#include "BalanceDialect.h"
#include "ReadingValue.h"

#include <string>

namespace balance {
namespace {

constexpr WeightRequest kStationRequests[] = {{"PRT", "PRT\r\n"}, {"Q", "Q\r\n"}};

bool isCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

// Without a header: a balance that prints only when stable.
BalanceReading parseStationLine(std::string_view line) {
    line = reading::withoutLineEnd(line);
    if (line.size() > kMaxReadingLine) {
        return {};
    }
    BalanceReading parsed;
    ReadingState state = ReadingState::Stable;
    if (line.size() >= 2 && isCapital(line[0]) && isCapital(line[1])) {
        const std::string_view header = line.substr(0, 2);
        line.remove_prefix(2);
        const bool commaNext = !line.empty() && line.front() == ',';
        if (header == "OL" && (line.empty() || commaNext)) {
            return reading::beyondRange(ReadingState::Overload);
        }
        if (!commaNext || (header != "ST" && header != "US")) {
            return {};
        }
        line.remove_prefix(1);
        state = header == "ST" ? ReadingState::Stable : ReadingState::Unstable;
    }
    if (!reading::readValue(line, parsed)) {
        return {};
    }
    parsed.state = state;
    return parsed;
}

// Characters 5 to 12, with the minus sign of character 4 in front of them.
std::string stationWeightText(std::string_view line) {
    if (line.size() <= 4) {
        return {};
    }
    std::string value(line.substr(4, 8));
    return line[3] == '-' ? '-' + value : value;
}

// The value zero-padded to 8 characters, the unit right-aligned in 3; an overload or underload
// shows "9999999E+19" for both.
std::string stationLine(const ShownWeight& shown) {
    const bool beyondRange =
        shown.state == ReadingState::Overload || shown.state == ReadingState::Underload;
    std::string line = beyondRange ? "OL," : shown.state == ReadingState::Stable ? "ST," : "US,";
    line += shown.steps < 0 || shown.state == ReadingState::Underload ? '-' : '+';
    if (beyondRange) {
        return line + "9999999E+19\r\n";
    }
    std::string value = reading::decimalText(reading::magnitude(shown.steps), shown.decimals);
    constexpr std::size_t kValueWidth = 8;
    if (value.size() < kValueWidth) {
        value.insert(0, kValueWidth - value.size(), '0');
    }
    return line + value + reading::rightAligned(shown.unit, 3) + "\r\n";
}

} // namespace

const BalanceDialect kStationDialect = {
    .name = "station",
    .requests = kStationRequests,
    .lineEnd = "\r\n",
    .zeroCommand = "Z\r\n",
    .tareCommand = "T\r\n",
    .parse = parseStationLine,
    .weightText = stationWeightText,
    .weightTextNamesUnit = false,
    .line = stationLine,
    .unknownCommandReply = {},
    .serialRequest = {},
    .serialNumber = nullptr,
};

} // namespace balance
