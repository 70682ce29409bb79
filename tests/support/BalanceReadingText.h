#pragma once

#include "BalanceDialect.h"

#include <QByteArray>
#include <QString>

// A balance line's reading in one comparable word group: "stable 123400 g", "unstable -35000",
// "overload 0", "underload 0", "none 0". Only for tests that link the balance library.
inline QString readingText(const QByteArray& line,
                           const balance::BalanceDialect& dialect = balance::kStationDialect) {
    static const char* const kStates[] = {"stable", "unstable", "overload", "underload", "none"};
    const balance::BalanceReading reading =
        dialect.parse(std::string_view(line.constData(), line.size()));
    return QString("%1 %2 %3")
        .arg(kStates[static_cast<int>(reading.state)])
        .arg(reading.tenThousandths)
        .arg(QString::fromStdString(reading.unit))
        .trimmed();
}
