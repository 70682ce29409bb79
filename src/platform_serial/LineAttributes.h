#pragma once

#include "SerialPort.h"

#include <termios.h>

namespace platform {

// The termios attributes that put settings on a line whose attributes are now current; every
// other attribute stays as it is.
termios lineAttributes(const termios& current, const LineSettings& settings, bool pseudoTerminal);

// The line settings that attributes stand for. A pseudo-terminal has no wire: its driver forces 8
// data bits and clears the parity enable, so its parity is read from the input check INPCK and its
// character size is only what the port remembers.
LineSettings settingsOf(const termios& attributes, bool pseudoTerminal, int rememberedDataBits);

} // namespace platform
