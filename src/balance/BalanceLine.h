#pragma once

#include "SerialPort.h"

#include <QByteArray>
#include <string>

namespace balance {

// The most one read of the balance's reply takes; more waiting means the line ran away.
constexpr long kReceiveLimit = 2048;

// Opens portName at 2400 baud, 7 data bits, one stop bit and the given parity. A failure is
// shown in the balance's error box and leaves the port closed.
bool openBalanceLine(platform::SerialPort& port, const std::string& portName,
                     platform::Parity parity);

// What the balance sent since the last call, cut short at the first zero byte. Nothing when
// nothing waits, when the query fails, or when more than kReceiveLimit bytes wait (those are
// discarded).
QByteArray takeWaitingBytes(platform::SerialPort& port);

} // namespace balance
