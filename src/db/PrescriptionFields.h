#pragma once

#include <QString>

// Columns of an order's lines that the station reads or writes by name.
namespace db::field {

// The serial number of the transponder on the drug's container (藥品資料表).
inline const QString SerialNumber = QStringLiteral("SerialNumber");
// The drug of a line (領藥明細), the key of 藥品資料表.
inline const QString DrugName = QStringLiteral("藥品名稱");
// The line's dispensing state (領藥明細), the one column the station writes.
inline const QString DispensingState = QStringLiteral("配藥情況");

// The drug's optional columns for the checks beyond the right container (藥品資料表), each
// looked up before it is used: grams per unit of a line's 數量, the tolerance in percent either
// way, and the last day a container may be used.
inline const QString UnitWeight = QStringLiteral("單位重量");
inline const QString Tolerance = QStringLiteral("容許誤差");
inline const QString Expiry = QStringLiteral("有效期限");

} // namespace db::field
