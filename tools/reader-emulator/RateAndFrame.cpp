#include "RateAndFrame.h"

#include "BaudRates.h"
#include "LineTiming.h"
#include "SerialFrames.h"

#include <charconv>

namespace emulator {

namespace {

LineFrame frameOf(platform::Parity parity) {
    switch (parity) {
    case platform::Parity::None:
        return LineFrame::N81;
    case platform::Parity::Odd:
        return LineFrame::O81;
    case platform::Parity::Even:
        break;
    }
    return LineFrame::E81;
}

} // namespace

std::optional<LineFrame> parseFrame(std::string_view text) {
    const SerialFrame* frame = findSerialFrame(text);
    if (frame == nullptr) {
        return std::nullopt;
    }
    return frameOf(frame->parity);
}

std::string frameName(LineFrame frame) {
    for (const SerialFrame& entry : kSerialFrames) {
        if (frameOf(entry.parity) == frame) {
            return std::string(entry.text);
        }
    }
    return std::string(kSerialFrames.front().text);
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
