#include "DemoDatabase.h"

#include "SqlScript.h"

#include <QFile>
#include <QSqlError>
#include <QUuid>
#include <QVariant>
#include <stdexcept>

namespace demodb {

namespace {

const QString dispensedState = QStringLiteral("配藥完成");

[[noreturn]] void fail(const QString& what, const QSqlError& error) {
    throw std::runtime_error(QStringLiteral("%1: %2").arg(what, error.text()).toStdString());
}

QString schemaScript() {
    QFile file(QStringLiteral(":/demodb/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the embedded schema cannot be read");
    return QString::fromUtf8(file.readAll());
}

QSqlQuery prepared(const QSqlDatabase& database, const QString& statement) {
    QSqlQuery query(database);
    if (!query.prepare(statement))
        fail(statement, query.lastError());
    return query;
}

} // namespace

DemoDatabase::DemoDatabase(const QString& path)
    : connectionName(QStringLiteral("demodb-") +
                     QUuid::createUuid().toString(QUuid::WithoutBraces)),
      database(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName)) {
    database.setDatabaseName(path);
    if (!database.open())
        fail(path, database.lastError());
    // The file is new and only renamed into place once complete, so a rollback journal on disk
    // would buy nothing.
    run(QStringLiteral("PRAGMA journal_mode = MEMORY"));
    run(QStringLiteral("PRAGMA cache_size = -65536"));
    if (!database.transaction())
        fail(QStringLiteral("BEGIN"), database.lastError());
    for (const QString& statement : splitSqlScript(schemaScript()))
        run(statement);

    insertDrug =
        prepared(database, QStringLiteral("INSERT INTO 藥品資料表 (藥品名稱, SerialNumber) "
                                          "VALUES (?, ?)"));
    insertPatient = prepared(database, QStringLiteral("INSERT INTO 病人基本資料 "
                                                      "(病歷號碼, 姓名, 性別, 出生年月日) "
                                                      "VALUES (?, ?, ?, ?)"));
    insertOrder =
        prepared(database, QStringLiteral("INSERT INTO 領藥單 (配藥日期, 領藥序號, 病歷號碼) "
                                          "VALUES (?, ?, ?)"));
    insertLine =
        prepared(database, QStringLiteral("INSERT INTO 領藥明細 "
                                          "(配藥日期, 領藥序號, 項次, 藥品名稱, 數量, 配藥情況) "
                                          "VALUES (?, ?, ?, ?, ?, ?)"));
}

DemoDatabase::~DemoDatabase() {
    insertDrug.reset();
    insertPatient.reset();
    insertOrder.reset();
    insertLine.reset();
    if (database.isOpen()) {
        database.rollback();
        database.close();
    }
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
}

void DemoDatabase::addDrug(const QString& name, const QString& serialNumber) {
    insertDrug->bindValue(0, name);
    insertDrug->bindValue(1, serialNumber);
    exec(*insertDrug);
}

void DemoDatabase::addPatient(const Patient& patient, const QString& birthText) {
    insertPatient->bindValue(0, patient.chartNumber);
    insertPatient->bindValue(1, patient.name);
    insertPatient->bindValue(2, patient.male ? QVariant(*patient.male ? 1 : 0) : QVariant());
    insertPatient->bindValue(3, birthText);
    exec(*insertPatient);
}

void DemoDatabase::addOrder(const QString& dayText, const Order& order) {
    insertOrder->bindValue(0, dayText);
    insertOrder->bindValue(1, order.sequence);
    insertOrder->bindValue(2, order.chartNumber);
    exec(*insertOrder);
    insertLine->bindValue(0, dayText);
    insertLine->bindValue(1, order.sequence);
    for (const OrderLine& line : order.lines) {
        insertLine->bindValue(2, line.item);
        insertLine->bindValue(3, line.drugName);
        insertLine->bindValue(4, line.quantity);
        insertLine->bindValue(5, line.dispensed ? QVariant(dispensedState) : QVariant());
        exec(*insertLine);
    }
}

void DemoDatabase::commit() {
    insertDrug.reset();
    insertPatient.reset();
    insertOrder.reset();
    insertLine.reset();
    if (!database.commit())
        fail(QStringLiteral("COMMIT"), database.lastError());
    database.close();
}

void DemoDatabase::run(const QString& statement) {
    QSqlQuery query(database);
    if (!query.exec(statement))
        fail(statement, query.lastError());
}

void DemoDatabase::exec(QSqlQuery& query) {
    if (!query.exec())
        fail(query.lastQuery(), query.lastError());
}

} // namespace demodb
