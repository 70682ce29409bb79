#pragma once

#include "BaudRates.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <termios.h>

// The terminal speed code of each rate of kBaudRates, in the list's order: for code that sets or
// reads a line's rate through termios.
inline constexpr std::array<speed_t, kBaudRates.size()> kTerminalSpeeds{
    B115200, B57600, B38400, B19200, B9600, B4800, B2400, B1200};

// The speed code of a rate of the list; nullopt for any other rate.
inline std::optional<speed_t> terminalSpeed(std::int32_t rate) {
    const BaudRate* entry = findBaudRate(rate);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return kTerminalSpeeds[static_cast<std::size_t>(entry - kBaudRates.data())];
}

// The rate of a speed code; 0 for a code of no rate in the list.
inline std::int32_t rateOfTerminalSpeed(speed_t code) {
    for (std::size_t i = 0; i < kTerminalSpeeds.size(); ++i) {
        if (kTerminalSpeeds[i] == code) {
            return kBaudRates[i].rate;
        }
    }
    return 0;
}
