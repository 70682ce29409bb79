#pragma once

#include "SerialPort.h"

#include <algorithm>
#include <array>
#include <string_view>

// The frames a reader's line may take, as the port library names them and in the order of the
// frame list and of the reader search: always 8 data bits and 1 stop bit, the parity varies.
struct SerialFrame {
    std::string_view text;
    platform::Parity parity;
};

inline constexpr std::array<SerialFrame, 3> kSerialFrames{{{"8E1", platform::Parity::Even},
                                                           {"8N1", platform::Parity::None},
                                                           {"8O1", platform::Parity::Odd}}};

// The entry whose text is text regardless of ASCII case, or null.
constexpr const SerialFrame* findSerialFrame(std::string_view text) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (const SerialFrame& frame : kSerialFrames) {
        if (std::ranges::equal(frame.text, text, {}, upper, upper)) {
            return &frame;
        }
    }
    return nullptr;
}

// The entry of a parity, or null.
constexpr const SerialFrame* findSerialFrame(platform::Parity parity) {
    for (const SerialFrame& frame : kSerialFrames) {
        if (frame.parity == parity) {
            return &frame;
        }
    }
    return nullptr;
}
