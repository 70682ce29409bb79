#pragma once

#include "DemoContent.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>

namespace demodb {

// Writes a new prescription database: the schema, then the rows, all in one transaction with
// prepared statements so that a million lines go in within seconds. Every failure throws
// std::runtime_error with the driver's text; nothing is kept unless commit() returns.
class DemoDatabase {
public:
    explicit DemoDatabase(const QString& path);
    ~DemoDatabase();
    DemoDatabase(const DemoDatabase&) = delete;
    DemoDatabase& operator=(const DemoDatabase&) = delete;

    void addDrug(const QString& name, const QString& serialNumber);
    void addPatient(const Patient& patient, const QString& birthText);
    void addOrder(const QString& dayText, const Order& order);
    void commit();

private:
    void run(const QString& statement);
    static void exec(QSqlQuery& query);

    QString connectionName;
    QSqlDatabase database;
    std::optional<QSqlQuery> insertDrug;
    std::optional<QSqlQuery> insertPatient;
    std::optional<QSqlQuery> insertOrder;
    std::optional<QSqlQuery> insertLine;
};

} // namespace demodb
