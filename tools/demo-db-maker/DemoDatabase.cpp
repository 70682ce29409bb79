#include "DemoDatabase.h"

#include "PrescriptionFields.h"
#include "PrescriptionTables.h"

#include <QVariant>

namespace demodb {

namespace {

// Every column of the table, in its order, then its optional ones when asked: the values below
// follow them.
std::unique_ptr<dbtools::RowWriter>
writer(db::TADOConnection& database, dbtools::PrescriptionTable table, bool withOptional = false) {
    const dbtools::Table& layout = dbtools::prescriptionTables().at(table);
    QStringList columns = layout.columnNames();
    if (withOptional)
        columns += layout.optionalColumnNames();
    return dbtools::rowWriter(database, layout.name, columns);
}

template <typename T> QVariant orNull(std::optional<T> value) {
    return value ? QVariant(*value) : QVariant();
}

QVariant orNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

DemoDatabase::DemoDatabase(db::TADOConnection& database, bool withCheckColumns)
    : checkColumns(withCheckColumns), drugs(writer(database, dbtools::Drugs, withCheckColumns)),
      patients(writer(database, dbtools::Patients)), orders(writer(database, dbtools::Orders)),
      lines(writer(database, dbtools::Lines)),
      audit(dbtools::rowWriter(database, dbtools::auditTable().name,
                               dbtools::auditTable().columnNames())) {}

void DemoDatabase::addDrug(const QString& name, const QString& serialNumber,
                           const DrugChecks& checks) {
    if (!checkColumns) {
        drugs->add({name, serialNumber});
        return;
    }
    // A day, which the file keeps as text yyyy-MM-dd.
    drugs->add(
        {name, serialNumber, orNull(checks.unitWeight), orNull(checks.tolerance), checks.expiry});
}

void DemoDatabase::addPatient(const Patient& patient, const QString& birthText) {
    // A bool, which the file stores as 1 or 0 and the server as its yes/no type.
    patients->add({patient.chartNumber, patient.name,
                   patient.male ? QVariant(*patient.male) : QVariant(), birthText});
}

void DemoDatabase::addOrder(const QString& dayText, const Order& order) {
    orders->add({dayText, order.sequence, order.chartNumber});
    for (const OrderLine& line : order.lines)
        lines->add({dayText, order.sequence, line.item, line.drugName, line.quantity,
                    line.dispensed ? QVariant(db::state::Dispensed) : QVariant()});
}

void DemoDatabase::addHistory(const QString& dayText, const Order& order,
                              const QList<AuditEvent>& events) {
    // In the columns' order of dbtools::auditTable().
    for (const AuditEvent& event : events)
        audit->add({event.time, event.station, event.user, event.event, dayText, order.sequence,
                    orNull(event.item), orNull(event.drugName), orNull(event.serialNumber),
                    orNull(event.weightShown), orNull(event.expectedGrams), orNull(event.details)});
}

void DemoDatabase::finish() {
    drugs->finish();
    patients->finish();
    orders->finish();
    lines->finish();
    audit->finish();
}

} // namespace demodb
