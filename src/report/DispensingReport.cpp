#include "DispensingReport.h"

#include "AuditTrail.h"
#include "PrescriptionFields.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace report {

namespace {

using OrderKey = std::tuple<QString, QString>;
using LineKey = std::tuple<QString, QString, int>;
// A station, an order and a container.
using PresentationKey = std::tuple<QString, QString, QString, QString>;

// A container leaves the tag list after a second unseen; rows closer together than that cannot
// be two presentations.
constexpr qint64 presentationGapMs = 1000;

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

// Stations of an earlier version recorded a wrong container again on every turn while it lay on
// the reader: of the rows of one presentation only the first counts.
std::set<const AuditRow*> repeatedPresentations(const QList<AuditRow>& audit) {
    std::map<PresentationKey, QList<const AuditRow*>> byContainer;
    for (const AuditRow& row : audit)
        if (row.event == journal_event::wrongContainer() && row.time.isValid() &&
            !row.serial.isEmpty())
            byContainer[{row.station, row.day, row.sequence, row.serial}] << &row;
    std::set<const AuditRow*> repeats;
    for (auto& [key, rows] : byContainer) {
        std::stable_sort(rows.begin(), rows.end(),
                         [](const AuditRow* a, const AuditRow* b) { return a->time < b->time; });
        for (qsizetype i = 1; i < rows.size(); ++i)
            if (rows[i - 1]->time.msecsTo(rows[i]->time) < presentationGapMs)
                repeats.insert(rows[i]);
    }
    return repeats;
}

void count(Figures& figures, const AuditRow& row, const std::set<const AuditRow*>& repeats) {
    if (row.event == journal_event::orderCompleted())
        ++figures.ordersCompleted;
    else if (row.event == journal_event::lineStored())
        ++figures.linesStored;
    else if (row.event == journal_event::wrongContainer() && !repeats.contains(&row))
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
                return line.state == db::state::Dispensed;
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
    const std::set<const AuditRow*> repeats = repeatedPresentations(rows.audit);
    for (const AuditRow& row : rows.audit) {
        count(figuresOf(stations, row.station), row, repeats);
        count(figuresOf(users, row.user), row, repeats);
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
