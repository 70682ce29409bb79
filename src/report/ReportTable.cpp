#include "ReportTable.h"

#include "AuditTrail.h"
#include "PrescriptionFields.h"

namespace report {

QStringList lineHeadings() {
    namespace audit = db::audit;
    return {audit::Day,     audit::Sequence, db::field::ChartNumber,     db::field::PatientName,
            audit::Item,    audit::Drug,     db::field::DispensingState, audit::User,
            audit::Station, audit::Time,     audit::WeightShown,         audit::ExpectedGrams};
}

QStringList lineCells(const OrderReport& order, const LineReport* line) {
    QStringList cells{order.day, order.sequence, order.patientNumber, order.patientName};
    if (line == nullptr)
        return cells + QStringList(lineHeadings().size() - orderColumnCount);
    const QString time =
        line->storedAt.isValid()
            ? line->storedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
            : QString();
    const QString grams =
        line->expectedGrams ? QString::number(*line->expectedGrams, 'f', 2) : QString();
    return cells + QStringList{QString::number(line->item),
                               line->drug,
                               line->state,
                               line->user,
                               line->station,
                               time,
                               line->weightShown,
                               grams};
}

QString durationText(qint64 seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString unfilledNotice(const DispensingReport& report) {
    if (report.unfilledColumns.isEmpty())
        return {};
    return ReportText::tr("The database has no audit table %1 (or it lacks columns): the columns "
                          "%2 could not be filled, nor the figures that count its rows.")
        .arg(db::audit::Table, report.unfilledColumns.join(QStringLiteral(", ")));
}

} // namespace report
