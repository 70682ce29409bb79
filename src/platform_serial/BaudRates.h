#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The eight line rates a reader may speak, fastest first: the order of the rate list, of the
// reader search and of the reader's own rate index (0 = 115200 ... 7 = 1200). Each with the
// reply time-out, in ms, that a probe at that rate allows.
struct BaudRate {
    std::int32_t rate;
    std::string_view text;
    std::string_view probeTimeOut;
};

inline constexpr std::array<BaudRate, 8> kBaudRates{{{115200, "115200", "50"},
                                                     {57600, "57600", "50"},
                                                     {38400, "38400", "50"},
                                                     {19200, "19200", "50"},
                                                     {9600, "9600", "100"},
                                                     {4800, "4800", "100"},
                                                     {2400, "2400", "200"},
                                                     {1200, "1200", "400"}}};

// The entry of a rate, or null when the list has none.
constexpr const BaudRate* findBaudRate(std::int32_t rate) {
    for (const BaudRate& entry : kBaudRates) {
        if (entry.rate == rate) {
            return &entry;
        }
    }
    return nullptr;
}

// The entry whose text is exactly text, or null.
constexpr const BaudRate* findBaudRate(std::string_view text) {
    for (const BaudRate& entry : kBaudRates) {
        if (entry.text == text) {
            return &entry;
        }
    }
    return nullptr;
}
