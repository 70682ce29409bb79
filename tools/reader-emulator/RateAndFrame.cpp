#include "RateAndFrame.h"

#include "BaudRates.h"
#include "LineTiming.h"

#include <cctype>
#include <charconv>

namespace emulator {

std::optional<LineFrame> parseFrame(std::string_view text) {
    if (text.size() != 3 || text[0] != '8' || text[2] != '1') {
        return std::nullopt;
    }
    switch (std::toupper(static_cast<unsigned char>(text[1]))) {
    case 'N':
        return LineFrame::N81;
    case 'E':
        return LineFrame::E81;
    case 'O':
        return LineFrame::O81;
    default:
        return std::nullopt;
    }
}

std::string frameName(LineFrame frame) {
    switch (frame) {
    case LineFrame::N81:
        return "8N1";
    case LineFrame::E81:
        return "8E1";
    case LineFrame::O81:
        return "8O1";
    }
    return "8E1";
}

std::optional<std::uint8_t> rateIndex(std::int32_t baud) {
    const BaudRate* rate = findBaudRate(baud);
    if (rate == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(rate - kBaudRates.data());
}

std::optional<std::int32_t> parseRate(std::string_view text) {
    std::int32_t baud = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), baud);
    if (error != std::errc() || end != text.data() + text.size() || !rateIndex(baud)) {
        return std::nullopt;
    }
    return baud;
}

int bitsPerCharacter(LineFrame frame) {
    return wire::bitsPerCharacter(frame != LineFrame::N81, 1);
}

std::string lineText(const RateAndFrame& line) {
    return std::to_string(line.baud) + " " + frameName(line.frame);
}

RateAndFrame lineOf(const HostLine& host) {
    switch (host.parity) {
    case HostParity::None:
        return RateAndFrame{host.baud, LineFrame::N81};
    case HostParity::Odd:
        return RateAndFrame{host.baud, LineFrame::O81};
    case HostParity::Even:
        break;
    }
    return RateAndFrame{host.baud, LineFrame::E81};
}

} // namespace emulator
