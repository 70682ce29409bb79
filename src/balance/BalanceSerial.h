#pragma once

#include "SerialPort.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace balance {

// The balance's line rate, for the polling link and the terminal window alike.
constexpr std::int32_t kBalanceBaud = 2400;

// The most one read of the balance's reply takes; more waiting means the line ran away.
constexpr long kReceiveLimit = 2048;

// Opens portName at 2400 baud, 7 data bits, one stop bit and the given parity. A failure
// leaves the port closed and gives the text of the balance's error box; empty on success.
QString setUpBalanceLine(platform::SerialPort& port, const std::string& portName,
                         platform::Parity parity);

// setUpBalanceLine, with a failure shown in the balance's error box.
bool openBalanceLine(platform::SerialPort& port, const std::string& portName,
                     platform::Parity parity);

// Shows the balance's box for a port that cannot be opened.
void showOpenError();

// What one read took off the balance's line.
struct TakenBytes {
    // Cut short at the first zero byte.
    QByteArray text;
    // Whether the last byte taken, zero bytes and all, ended a line; false when the bytes were
    // discarded unseen, nothing when nothing was taken.
    std::optional<bool> endedLine;
};

// What the balance sent since the last call. Nothing when nothing waits, when the query fails,
// or when more than kReceiveLimit bytes wait (those are discarded).
TakenBytes takeWaitingBytes(platform::SerialPort& port);

} // namespace balance
