#pragma once

#include "DispensingReport.h"
#include "ReportRows.h"

#include <QDate>
#include <QList>

namespace db {
class TADOConnection;
}

namespace report {

// A longer span would read more rows than a report is meant to show at once.
constexpr int maxDays = 366;

// The days from `from` to `to`, both included. Raises platform::AppError when `from` is after
// `to`, or the span is longer than maxDays.
QList<QDate> daysOf(const QDate& from, const QDate& to);

// The orders, lines and audit rows of the days, whose 配藥日期 is the station's day text
// (db::DayText). A database without the audit table gives the orders and lines, and names the
// columns it could not fill. Each statement is bounded as the connection's are; a failure raises
// platform::AppError.
ReportRows readRows(db::TADOConnection& connection, const QList<QDate>& days);

DispensingReport readReport(db::TADOConnection& connection, const QDate& from, const QDate& to);

} // namespace report
