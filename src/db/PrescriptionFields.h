#pragma once

#include <QString>

// The tables of the prescription database.
namespace db::table {

inline const QString Patients = QStringLiteral("病人基本資料");
inline const QString Drugs = QStringLiteral("藥品資料表");
inline const QString Orders = QStringLiteral("領藥單");
inline const QString Lines = QStringLiteral("領藥明細");

} // namespace db::table

// Columns of the prescription tables that the station, the report and the tools read or write by
// name.
namespace db::field {

// The patient (病人基本資料): the chart number is its key, and 領藥單 refers to it.
inline const QString ChartNumber = QStringLiteral("病歷號碼");
inline const QString PatientName = QStringLiteral("姓名");
// Yes is male, no female.
inline const QString Sex = QStringLiteral("性別");
inline const QString Birth = QStringLiteral("出生年月日");

// An order (領藥單) is keyed by its day and its sequence number; its lines (領藥明細) by those and
// the item number.
inline const QString OrderDay = QStringLiteral("配藥日期");
inline const QString Sequence = QStringLiteral("領藥序號");
inline const QString Item = QStringLiteral("項次");
// How many units a line dispenses.
inline const QString Quantity = QStringLiteral("數量");

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

// `table.column`, as a statement joining several tables names the column.
inline QString of(const QString& table, const QString& column) {
    return table + u'.' + column;
}

} // namespace db::field

// What a line's 配藥情況 holds. A line's state is its own fact, though the audit event of storing
// it reads the same (journal_event::lineStored).
namespace db::state {

inline const QString Dispensed = QStringLiteral("配藥完成");

} // namespace db::state
