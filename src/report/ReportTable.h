#pragma once

#include "DispensingReport.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The report's texts that every format shares, so that each shows the same.
namespace report {

// The report's own words, in the desk's language once the station's translation is installed.
// Database names and the events' texts stay as the database holds them.
class ReportText {
    Q_DECLARE_TR_FUNCTIONS(DispensingReport)
};

// The headings of the lines' table: the order's columns (orderColumnCount of them), then the
// line's.
QStringList lineHeadings();
constexpr qsizetype orderColumnCount = 4;

// The cells of one line of an order under lineHeadings(); an order without lines is given one row
// with the line's cells empty (line null).
QStringList lineCells(const OrderReport& order, const LineReport* line);

// A span of seconds as h:mm:ss.
QString durationText(qint64 seconds);

// What the report could not fill and why; empty when it filled everything.
QString unfilledNotice(const DispensingReport& report);

} // namespace report
