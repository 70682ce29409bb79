#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the report reads from the prescription database, before any of it is counted.
namespace report {

struct OrderRow {
    QString day; // 配藥日期 as the database holds it
    QString sequence;
    QString patientNumber;
    QString patientName;
};

struct LineRow {
    QString day;
    QString sequence;
    int item = 0;
    QString drug;
    QString state; // 配藥情況; empty while not dispensed
};

// One row of the audit table (db::audit).
struct AuditRow {
    QDateTime time; // invalid when the row's time could not be read
    QString station;
    QString user;
    QString event;
    QString day;
    QString sequence;
    int item = 0;
    QString serial; // the container presented
    QString weightShown;
    std::optional<double> expectedGrams;
};

struct ReportRows {
    QString title;
    QList<OrderRow> orders;
    QList<LineRow> lines;
    QList<AuditRow> audit;
    // The report's columns the database could not give (no audit table), by their audit names.
    QStringList unfilledColumns;
};

} // namespace report
