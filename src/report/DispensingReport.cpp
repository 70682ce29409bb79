#include "DispensingReport.h"

#include "AuditTrail.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace report {

namespace {

using OrderKey = std::tuple<QString, QString>;
using LineKey = std::tuple<QString, QString, int>;

struct OrderTimes {
    QDateTime opened;
    QList<QDateTime> completions;
};

// Whether `row` is a later word on its line than `kept`; of two rows without a time, the later
// one read.
bool supersedes(const AuditRow& row, const AuditRow* kept) {
    return kept == nullptr || !kept->time.isValid() || !row.time.isValid() ||
           row.time >= kept->time;
}

Figures& figuresOf(std::map<QString, Figures>& figures, const QString& name) {
    Figures& entry = figures[name];
    entry.name = name;
    return entry;
}

void count(Figures& figures, const QString& event) {
    if (event == journal_event::orderCompleted())
        ++figures.ordersCompleted;
    else if (event == journal_event::lineStored())
        ++figures.linesStored;
    else if (event == journal_event::wrongContainer())
        ++figures.wrongContainers;
}

QList<Figures> listOf(const std::map<QString, Figures>& figures) {
    QList<Figures> list;
    for (const auto& [name, entry] : figures)
        list << entry;
    return list;
}

void addDurations(const std::map<OrderKey, OrderTimes>& times, DispensingReport& report) {
    QList<OrderDuration> durations;
    for (const auto& [key, order] : times) {
        if (!order.opened.isValid())
            continue;
        std::optional<qint64> first;
        for (const QDateTime& completed : order.completions) {
            const qint64 seconds = order.opened.secsTo(completed);
            if (seconds >= 0 && (!first || seconds < *first))
                first = seconds;
        }
        if (first)
            durations << OrderDuration{std::get<0>(key), std::get<1>(key), *first};
    }
    if (durations.isEmpty())
        return;
    std::stable_sort(
        durations.begin(), durations.end(),
        [](const OrderDuration& a, const OrderDuration& b) { return a.seconds < b.seconds; });
    const qsizetype middle = durations.size() / 2;
    report.medianSeconds = durations.size() % 2
                               ? double(durations[middle].seconds)
                               : (durations[middle - 1].seconds + durations[middle].seconds) / 2.0;
    report.longest = durations.last();
}

} // namespace

int DispensingReport::lineCount() const {
    int lines = 0;
    for (const OrderReport& order : orders)
        lines += int(order.lines.size());
    return lines;
}

int DispensingReport::storedLineCount() const {
    int stored = 0;
    for (const OrderReport& order : orders)
        stored +=
            int(std::count_if(order.lines.cbegin(), order.lines.cend(), [](const LineReport& line) {
                return line.state == journal_event::lineStored();
            }));
    return stored;
}

DispensingReport aggregate(const ReportRows& rows) {
    DispensingReport report;
    report.title = rows.title;
    report.unfilledColumns = rows.unfilledColumns;

    std::map<QString, Figures> stations;
    std::map<QString, Figures> users;
    std::map<LineKey, const AuditRow*> storedBy;
    std::map<OrderKey, OrderTimes> times;
    for (const AuditRow& row : rows.audit) {
        count(figuresOf(stations, row.station), row.event);
        count(figuresOf(users, row.user), row.event);
        const OrderKey order{row.day, row.sequence};
        if (row.event == journal_event::lineStored()) {
            const AuditRow*& kept = storedBy[{row.day, row.sequence, row.item}];
            if (supersedes(row, kept))
                kept = &row;
            if (row.time.isValid())
                ++report.storedPerHour[row.time.toLocalTime().time().hour()];
        }
        if (!row.time.isValid())
            continue;
        if (row.event == journal_event::orderOpened()) {
            QDateTime& opened = times[order].opened;
            if (!opened.isValid() || row.time < opened)
                opened = row.time;
        } else if (row.event == journal_event::orderCompleted()) {
            times[order].completions << row.time;
        }
    }
    report.stations = listOf(stations);
    report.users = listOf(users);
    addDurations(times, report);

    std::map<OrderKey, QList<LineReport>> linesOf;
    for (const LineRow& line : rows.lines) {
        LineReport entry;
        entry.item = line.item;
        entry.drug = line.drug;
        entry.state = line.state;
        const auto stored = storedBy.find({line.day, line.sequence, line.item});
        if (stored != storedBy.end()) {
            const AuditRow& row = *stored->second;
            entry.user = row.user;
            entry.station = row.station;
            entry.storedAt = row.time;
            entry.weightShown = row.weightShown;
            entry.expectedGrams = row.expectedGrams;
        }
        linesOf[{line.day, line.sequence}] << entry;
    }
    for (const OrderRow& order : rows.orders) {
        OrderReport entry{order.day, order.sequence, order.patientNumber, order.patientName, {}};
        entry.lines = linesOf[{order.day, order.sequence}];
        std::sort(entry.lines.begin(), entry.lines.end(),
                  [](const LineReport& a, const LineReport& b) { return a.item < b.item; });
        report.orders << entry;
    }
    return report;
}

} // namespace report
