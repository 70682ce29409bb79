#include "ReportReader.h"

#include "AppError.h"
#include "AuditTrail.h"
#include "DayText.h"
#include "OrderStatements.h"
#include "PrescriptionFields.h"
#include "ReportTable.h"
#include "TADOConnection.h"

#include <QHash>
#include <algorithm>

namespace report {

namespace {

// Bounds each result well below the connection's row limit on a busy pharmacy's days.
constexpr qsizetype daysPerStatement = 31;

// Without these the rows cannot be matched to the lines and counted.
QStringList matchedAuditColumns() {
    namespace audit = db::audit;
    return {audit::Event, audit::Day, audit::Sequence, audit::Item};
}

// What the report shows of the rows.
QStringList shownAuditColumns() {
    namespace audit = db::audit;
    return {audit::Time, audit::Station, audit::User, audit::WeightShown, audit::ExpectedGrams};
}

// The order readAudit reads them in.
QStringList auditColumns() {
    namespace audit = db::audit;
    return {audit::Time,        audit::Station,      audit::User, audit::Event,
            audit::Day,         audit::Sequence,     audit::Item, audit::Serial,
            audit::WeightShown, audit::ExpectedGrams};
}

QString dayList(const QList<QDate>& days) {
    QStringList texts;
    for (const QDate& day : days)
        texts << db::quotedValue(db::DayText(day));
    return texts.join(QStringLiteral(", "));
}

QString title(const QList<QDate>& days) {
    const QString first = days.first().toString(Qt::ISODate);
    if (days.size() == 1)
        return ReportText::tr("Dispensing report, %1").arg(first);
    return ReportText::tr("Dispensing report, %1 to %2")
        .arg(first, days.last().toString(Qt::ISODate));
}

QDateTime momentOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

std::optional<double> gramsOf(const QVariant& value) {
    bool ok = false;
    const double grams = value.toDouble(&ok);
    if (value.isNull() || !ok)
        return std::nullopt;
    return grams;
}

QString columnList(const QStringList& columns) {
    return columns.join(QStringLiteral(", "));
}

void readOrders(db::TADOConnection& connection, const QString& days, ReportRows& rows) {
    namespace field = db::field;
    const auto order = [](const QString& column) { return field::of(db::table::Orders, column); };
    const QString patientChart = field::of(db::table::Patients, field::ChartNumber);
    const db::ResultSet result = connection.fetch(
        QStringLiteral("SELECT %1 FROM %2 LEFT JOIN %3 ON %4 = %5 WHERE %6 IN (%7)")
            .arg(columnList({order(field::OrderDay), order(field::Sequence),
                             order(field::ChartNumber),
                             field::of(db::table::Patients, field::PatientName)}),
                 db::table::Orders, db::table::Patients, patientChart, order(field::ChartNumber),
                 order(field::OrderDay), days));
    for (const QVariantList& row : result.rows)
        rows.orders << OrderRow{row[0].toString(), row[1].toString(), row[2].toString(),
                                row[3].toString()};
}

void readLines(db::TADOConnection& connection, const QString& days, ReportRows& rows) {
    namespace field = db::field;
    const db::ResultSet result =
        connection.fetch(QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                             .arg(columnList({field::OrderDay, field::Sequence, field::Item,
                                              field::DrugName, field::DispensingState}),
                                  db::table::Lines, field::OrderDay, days));
    for (const QVariantList& row : result.rows)
        rows.lines << LineRow{row[0].toString(), row[1].toString(), row[2].toInt(),
                              row[3].toString(), row[4].toString()};
}

// The columns to select: those the table lacks are read as NULL. The names are the station
// dialect's, in which double quotes delimit text.
QStringList selectedAuditColumns(const QStringList& present) {
    QStringList selected;
    for (const QString& column : auditColumns())
        selected << (present.contains(column, Qt::CaseInsensitive) ? column
                                                                   : QStringLiteral("NULL"));
    return selected;
}

void readAudit(db::TADOConnection& connection, const QString& days, const QStringList& present,
               ReportRows& rows) {
    const db::ResultSet result =
        connection.fetch(QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                             .arg(columnList(selectedAuditColumns(present)), db::audit::Table,
                                  db::audit::Day, days));
    for (const QVariantList& row : result.rows)
        rows.audit << AuditRow{.time = momentOf(row[0]),
                               .station = row[1].toString(),
                               .user = row[2].toString(),
                               .event = row[3].toString(),
                               .day = row[4].toString(),
                               .sequence = row[5].toString(),
                               .item = row[6].toInt(),
                               .serial = row[7].toString(),
                               .weightShown = row[8].toString(),
                               .expectedGrams = gramsOf(row[9])};
}

// Sequence numbers are text; those that are numbers sort as numbers (2 before 10).
bool sequenceBefore(const QString& a, const QString& b) {
    bool aIsNumber = false;
    bool bIsNumber = false;
    const qlonglong aNumber = a.toLongLong(&aIsNumber);
    const qlonglong bNumber = b.toLongLong(&bIsNumber);
    if (aIsNumber && bIsNumber && aNumber != bNumber)
        return aNumber < bNumber;
    return a < b;
}

// By day, in the days' order (day texts do not sort as days), then by sequence number.
void sortOrders(const QList<QDate>& days, QList<OrderRow>& orders) {
    QHash<QString, qsizetype> position;
    for (qsizetype i = 0; i < days.size(); ++i)
        position.insert(db::DayText(days[i]), i);
    std::stable_sort(orders.begin(), orders.end(), [&](const OrderRow& a, const OrderRow& b) {
        const qsizetype aDay = position.value(a.day);
        const qsizetype bDay = position.value(b.day);
        return aDay != bDay ? aDay < bDay : sequenceBefore(a.sequence, b.sequence);
    });
}

} // namespace

QList<QDate> daysOf(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid())
        throw platform::AppError(ReportText::tr("The report's days are not valid days"));
    if (from > to)
        throw platform::AppError(ReportText::tr("The first day %1 is after the last day %2")
                                     .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate)));
    if (from.daysTo(to) >= maxDays)
        throw platform::AppError(ReportText::tr("A report covers at most %1 days").arg(maxDays));
    QList<QDate> days;
    for (QDate day = from; day <= to; day = day.addDays(1))
        days << day;
    return days;
}

ReportRows readRows(db::TADOConnection& connection, const QList<QDate>& days) {
    ReportRows rows;
    if (days.isEmpty())
        return rows;
    rows.title = title(days);
    QStringList present = connection.columnsOf(db::audit::Table);
    for (const QString& column : matchedAuditColumns())
        if (!present.contains(column, Qt::CaseInsensitive))
            present.clear();
    for (const QString& column : shownAuditColumns())
        if (!present.contains(column, Qt::CaseInsensitive))
            rows.unfilledColumns << column;
    for (qsizetype start = 0; start < days.size(); start += daysPerStatement) {
        const QString chunk = dayList(days.mid(start, daysPerStatement));
        readOrders(connection, chunk, rows);
        readLines(connection, chunk, rows);
        if (!present.isEmpty())
            readAudit(connection, chunk, present, rows);
    }
    sortOrders(days, rows.orders);
    return rows;
}

DispensingReport readReport(db::TADOConnection& connection, const QDate& from, const QDate& to) {
    return aggregate(readRows(connection, daysOf(from, to)));
}

} // namespace report
