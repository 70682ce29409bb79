#include "AuditEntry.h"

#include "AuditTrail.h"

namespace {

// ISO 8601 with the offset of the station's clock, which a server takes as its moment and a
// file keeps as written.
QString momentText(const QDateTime& at) {
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QVariant wholeNumber(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant();
}

} // namespace

db::RowInsert auditRow(const AuditEntry& entry, const StationIdentity& who, const QDateTime& at) {
    using namespace db::audit;
    return {Table,
            {{Time, momentText(at)},
             {Station, who.station},
             {User, who.user},
             {Event, entry.event},
             {Day, entry.day},
             {Sequence, entry.sequence},
             {Item, wholeNumber(entry.item)},
             {Drug, entry.drug},
             {Serial, entry.serial},
             {WeightShown, entry.weightShown},
             {ExpectedGrams, entry.expectedGrams ? QVariant(*entry.expectedGrams) : QVariant()},
             {Details, entry.details.left(maxAuditDetails)}}};
}
