#pragma once

#include "BalanceDialect.h"

#include <QByteArray>
#include <QString>

namespace balance {

// Balances end their lines with CR LF, some with CR or LF alone.
inline bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The part of what a tick received after its request that the weight is cut from: the last line
// whose start and end the tick received, nothing when there is none. A line starts after a line
// end, or at the start of received when startsLine (nothing of an unfinished line was left
// before the request). Received without any line end is a reply that lacks one: taken whole when
// startsLine, else nothing, so a piece of a line is never taken for a reply.
QByteArray weightLine(const QByteArray& received, bool startsLine);

// The weight a line shows, as the dialect shows it: in the station's own, its characters 5 to 12,
// with the minus sign of character 4 in front of them when the reading is negative.
QString weightOf(const QByteArray& line, const BalanceDialect& dialect = kStationDialect);

} // namespace balance
