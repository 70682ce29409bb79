#pragma once

#include <QString>

// Columns of an order's lines that the station reads or writes by name.
namespace db::field {

// The serial number of the transponder on the drug's container (藥品資料表).
inline const QString SerialNumber = QStringLiteral("SerialNumber");
// The line's dispensing state (領藥明細), the one column the station writes.
inline const QString DispensingState = QStringLiteral("配藥情況");

} // namespace db::field
