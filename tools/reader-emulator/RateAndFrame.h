#pragma once

#include "HostLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

enum class LineFrame { N81, E81, O81 };

// A serial line as the reader sees it: rate and frame, always 8 data bits and 1 stop bit.
struct RateAndFrame {
    std::int32_t baud = 38400;
    LineFrame frame = LineFrame::E81;

    bool operator==(const RateAndFrame&) const = default;
};

// "8E1", "8N1", "8O1" in any case.
std::optional<LineFrame> parseFrame(std::string_view text);
std::string frameName(LineFrame frame);

// The reader's index of a rate: 0 = 115200 ... 7 = 1200; nullopt for any other rate.
std::optional<std::uint8_t> rateIndex(std::int32_t baud);
std::optional<std::int32_t> parseRate(std::string_view text);

int bitsPerCharacter(LineFrame frame);
std::string lineText(const RateAndFrame& line);

// What the host set, as the reader would take it: always 8 data bits, since a pseudo-terminal
// cannot show them. A rate outside the reader's set reads as baud 0, which matches nothing.
RateAndFrame lineOf(const HostLine& host);

} // namespace emulator
