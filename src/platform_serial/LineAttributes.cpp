#include "LineAttributes.h"

#include "TerminalSpeeds.h"

namespace platform {
namespace {

tcflag_t sizeFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

int dataBitsOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

termios lineAttributes(const termios& current, const LineSettings& settings, bool pseudoTerminal) {
    termios attributes = current;
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    attributes.c_cflag |= sizeFlag(settings.dataBits) | CLOCAL | CREAD;
    if (settings.parity != Parity::None) {
        attributes.c_cflag |= PARENB;
    }
    if (settings.parity == Parity::Odd) {
        attributes.c_cflag |= PARODD;
    }
    if (settings.stopBits == 2) {
        attributes.c_cflag |= CSTOPB;
    }
    // On a wire the input check stays as it was: switched on, it would turn a character with a
    // parity or framing error into a zero byte. A pseudo-terminal has no wire and no such errors;
    // its driver forces 8 bits and no parity enable (a request for others would be refused), so
    // the check is the parity's only mark there, for the emulator on the other side too.
    if (pseudoTerminal) {
        attributes.c_cflag = (attributes.c_cflag & ~(CSIZE | PARENB)) | CS8;
        attributes.c_iflag &= ~INPCK;
        if (settings.parity != Parity::None) {
            attributes.c_iflag |= INPCK;
        }
    }
    if (const auto code = terminalSpeed(settings.baud)) {
        cfsetispeed(&attributes, *code);
        cfsetospeed(&attributes, *code);
    }
    return attributes;
}

LineSettings settingsOf(const termios& attributes, bool pseudoTerminal, int rememberedDataBits) {
    LineSettings settings;
    settings.baud = rateOfTerminalSpeed(cfgetospeed(&attributes));
    settings.dataBits = pseudoTerminal ? rememberedDataBits : dataBitsOf(attributes.c_cflag);
    const bool parity =
        pseudoTerminal ? (attributes.c_iflag & INPCK) != 0 : (attributes.c_cflag & PARENB) != 0;
    if (!parity) {
        settings.parity = Parity::None;
    } else {
        settings.parity = (attributes.c_cflag & PARODD) != 0 ? Parity::Odd : Parity::Even;
    }
    settings.stopBits = (attributes.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return settings;
}

} // namespace platform
