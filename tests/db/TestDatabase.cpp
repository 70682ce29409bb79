#include "TestDatabase.h"

#include "AppError.h"
#include "AuditTrail.h"
#include "ServerDatabase.h"
#include "TableStatements.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

bool TestDatabase::onServer() {
    return qEnvironmentVariable("STATION_TEST_ENGINE") == u"postgres";
}

TestDatabase::TestDatabase(bool createNow)
    : previousFolder_(QDir::currentPath()),
      connectionName_(QStringLiteral("fixture_%1").arg(reinterpret_cast<quintptr>(this))) {
    if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
        qFatal("cannot make a temporary folder");
    if (createNow)
        create();
}

TestDatabase::~TestDatabase() {
    if (QSqlDatabase::contains(connectionName_)) {
        QSqlDatabase::database(connectionName_, false).close();
        QSqlDatabase::removeDatabase(connectionName_);
    }
    QDir::setCurrent(previousFolder_);
}

db::DatabaseLocation TestDatabase::location() const {
    return server_ ? db::DatabaseLocation::server(server_->connectionText())
                   : db::DatabaseLocation::file();
}

QString TestDatabase::filePath() const {
    return QDir(dir_.path()).filePath(db::DatabaseLocation::defaultFileName());
}

QSqlDatabase TestDatabase::database() const {
    return QSqlDatabase::database(connectionName_);
}

void TestDatabase::create() {
    QSqlDatabase database;
    if (onServer()) {
        server_.emplace();
        database = db::addServerDatabase(connectionName_, server_->connectionText());
    } else {
        database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        database.setDatabaseName(filePath());
    }
    if (!database.open())
        qFatal("cannot create the test database: %s", qPrintable(database.lastError().text()));
    for (const QString& statement :
         dbtools::tableStatements(onServer() ? db::Engine::Postgres : db::Engine::Sqlite))
        exec(statement);
}

void TestDatabase::exec(const QString& statement, const QVariantList& values) {
    QSqlQuery query(database());
    // The server prepares no schema statements.
    if (values.isEmpty()) {
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        return;
    }
    QVERIFY2(query.prepare(statement), qPrintable(query.lastError().text()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

QVariant TestDatabase::scalar(const QString& statement, const QVariantList& values) {
    QSqlQuery query(database());
    query.prepare(statement);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return QStringLiteral("<no row: %1>").arg(query.lastError().text());
    return query.value(0);
}

void TestDatabase::addPatient(const QString& number, const QVariant& name, const QVariant& sex,
                              const QString& birth) {
    const bool yesNo = sex.typeId() == QMetaType::Int && (sex.toInt() == 0 || sex.toInt() == 1);
    exec(QStringLiteral("INSERT INTO 病人基本資料 VALUES (?, ?, ?, ?)"),
         {number, name, onServer() && yesNo ? QVariant(sex.toInt() == 1) : sex, birth});
}

void TestDatabase::addDrug(const QString& name, const QVariant& serialNumber) {
    exec(QStringLiteral("INSERT INTO 藥品資料表 VALUES (?, ?)"), {name, serialNumber});
}

void TestDatabase::addOrder(const QString& dispensingDay, const QString& sequence,
                            const QString& patient) {
    exec(QStringLiteral("INSERT INTO 領藥單 VALUES (?, ?, ?)"), {dispensingDay, sequence, patient});
}

void TestDatabase::addLine(const QString& dispensingDay, const QString& sequence, int item,
                           const QString& drug, const QVariant& state) {
    exec(QStringLiteral("INSERT INTO 領藥明細 VALUES (?, ?, ?, ?, ?, ?)"),
         {dispensingDay, sequence, item, drug, item * 10, state});
}

QVariant TestDatabase::lineState(const QString& dispensingDay, const QString& sequence, int item) {
    return scalar(QStringLiteral("SELECT 配藥情況 FROM 領藥明細 "
                                 "WHERE 配藥日期 = ? AND 領藥序號 = ? AND 項次 = ?"),
                  {dispensingDay, sequence, item});
}

void TestDatabase::addSampleOrder() {
    const QString today = QString::fromLatin1(day);
    addPatient(QStringLiteral("P1"), QStringLiteral("王小明"), 1);
    addDrug(QStringLiteral("A"), QStringLiteral("E001"));
    addDrug(QStringLiteral("B"), QStringLiteral("E002"));
    addOrder(today, QStringLiteral("1"), QStringLiteral("P1"));
    addLine(today, QStringLiteral("1"), 1, QStringLiteral("A"));
    addLine(today, QStringLiteral("1"), 2, QStringLiteral("B"));
}

void TestDatabase::refuseAuditRows(const QString& event) {
    const QString when = QStringLiteral("NEW.%1 = '%2'").arg(db::audit::Event, event);
    if (!onServer()) {
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 WHEN %2 "
                            "BEGIN SELECT RAISE(ABORT, 'audit row refused'); END")
                 .arg(db::audit::Table, when));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
                        "%1 THEN RAISE EXCEPTION 'audit row refused'; END IF; RETURN NEW; END $$")
             .arg(when));
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 FOR EACH ROW "
                        "EXECUTE FUNCTION refuse()")
             .arg(db::audit::Table));
}

int TestDatabase::auditRows(const QString& event) {
    return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                      .arg(db::audit::Table, db::audit::Event),
                  {event})
        .toInt();
}

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::AppError& error) {
        return error.text();
    }
    return {};
}
