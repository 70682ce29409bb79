#pragma once

#include "ReportRows.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace report {

struct LineReport {
    int item = 0;
    QString drug;
    QString state;
    // From the line's last 配藥完成 row; empty when it has none.
    QString user;
    QString station;
    QDateTime storedAt;
    QString weightShown;
    std::optional<double> expectedGrams;
};

struct OrderReport {
    QString day;
    QString sequence;
    QString patientNumber;
    QString patientName;
    QList<LineReport> lines;
};

// The figures of one station or one user.
struct Figures {
    QString name;
    int ordersCompleted = 0;
    int linesStored = 0;
    int wrongContainers = 0;
};

// From an order's first 開始配藥 to its first 全部完成 after it.
struct OrderDuration {
    QString day;
    QString sequence;
    qint64 seconds = 0;
};

struct DispensingReport {
    QString title;
    QList<OrderReport> orders;
    QList<Figures> stations; // by name
    QList<Figures> users;
    std::optional<double> medianSeconds;
    std::optional<OrderDuration> longest;
    // Lines stored in each hour of the day, local time, over all the days of the report.
    std::array<int, 24> storedPerHour{};
    QStringList unfilledColumns;

    int lineCount() const;
    int storedLineCount() const; // lines whose state is db::state::Dispensed
};

// Counts the rows: the figures per station and per user from all the audit rows, the lines' who
// and when from the rows of the lines listed. Rows without a time count for nothing timed.
DispensingReport aggregate(const ReportRows& rows);

} // namespace report
