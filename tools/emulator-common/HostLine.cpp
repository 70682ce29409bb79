#include "HostLine.h"

#include "TerminalSpeeds.h"

#include <termios.h>

namespace emulator {

HostLine hostLineFromTermios(const termios& attributes) {
    HostLine line;
    line.baud = rateOfTerminalSpeed(cfgetospeed(&attributes));
    if ((attributes.c_iflag & INPCK) != 0) {
        line.parity = (attributes.c_cflag & PARODD) != 0 ? HostParity::Odd : HostParity::Even;
    }
    return line;
}

std::string parityName(HostParity parity) {
    switch (parity) {
    case HostParity::Even:
        return "even";
    case HostParity::Odd:
        return "odd";
    case HostParity::None:
        break;
    }
    return "none";
}

} // namespace emulator
