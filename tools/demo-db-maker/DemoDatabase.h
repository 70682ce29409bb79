#pragma once

#include "DemoContent.h"
#include "DemoDrugChecks.h"
#include "DemoHistory.h"
#include "RowWriter.h"

#include <QString>
#include <memory>

namespace demodb {

// Writes the demo rows into the prescription tables, through the row writers that suit the
// database: a file or a server. The caller holds the transaction; every failure throws.
class DemoDatabase {
public:
    // withCheckColumns: the drugs' table has its optional columns, which take the drugs' checks.
    DemoDatabase(db::TADOConnection& database, bool withCheckColumns);

    void addDrug(const QString& name, const QString& serialNumber, const DrugChecks& checks);
    void addPatient(const Patient& patient, const QString& birthText);
    void addOrder(const QString& dayText, const Order& order);
    void addHistory(const QString& dayText, const Order& order, const QList<AuditEvent>& events);
    // Writes the rows still held back.
    void finish();

private:
    bool checkColumns;
    std::unique_ptr<dbtools::RowWriter> drugs;
    std::unique_ptr<dbtools::RowWriter> patients;
    std::unique_ptr<dbtools::RowWriter> orders;
    std::unique_ptr<dbtools::RowWriter> lines;
    std::unique_ptr<dbtools::RowWriter> audit;
};

} // namespace demodb
