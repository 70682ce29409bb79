#pragma once

#include <cstdint>
#include <string>

struct termios;

namespace emulator {

enum class HostParity { None, Even, Odd };

// The line as the host set it on its side of a pseudo-terminal: what the master side can see.
struct HostLine {
    std::int32_t baud = 0; // 0 for a rate outside the serial layer's set
    HostParity parity = HostParity::None;

    bool operator==(const HostLine&) const = default;
};

// The pseudo-terminal driver keeps no parity enable, so parity shows only through the input
// check INPCK, and odd parity through PARODD.
HostLine hostLineFromTermios(const termios& attributes);

std::string parityName(HostParity parity);

} // namespace emulator
