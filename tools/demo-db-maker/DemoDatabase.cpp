#include "DemoDatabase.h"

#include "PrescriptionTables.h"

#include <QVariant>

namespace demodb {

namespace {

const QString dispensedState = QStringLiteral("配藥完成");

// Every column of the table, in its order: the values below follow it.
std::unique_ptr<dbtools::RowWriter> writer(const QSqlDatabase& database,
                                           dbtools::PrescriptionTable table) {
    const dbtools::Table& layout = dbtools::prescriptionTables().at(table);
    return dbtools::rowWriter(database, layout.name, layout.columnNames());
}

} // namespace

DemoDatabase::DemoDatabase(const QSqlDatabase& database)
    : drugs(writer(database, dbtools::Drugs)), patients(writer(database, dbtools::Patients)),
      orders(writer(database, dbtools::Orders)), lines(writer(database, dbtools::Lines)) {}

void DemoDatabase::addDrug(const QString& name, const QString& serialNumber) {
    drugs->add({name, serialNumber});
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
                    line.dispensed ? QVariant(dispensedState) : QVariant()});
}

void DemoDatabase::finish() {
    drugs->finish();
    patients->finish();
    orders->finish();
    lines->finish();
}

} // namespace demodb
