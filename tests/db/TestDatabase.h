#pragma once

#include "DatabaseLocation.h"
#include "ScratchServerDatabase.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <optional>

// A prescription database with the tools' tables (TableStatements.h), with a fresh temporary
// folder as the current directory while the object lives. It is the file in that folder or, when
// the environment names STATION_TEST_ENGINE=postgres, a database of its own on the test server
// (STATION_POSTGRES_CONNINFO_FILE), dropped at the end. Rows are added and read through a
// connection of its own, bypassing the classes under test; statements use ? for values on both
// engines.
class TestDatabase {
public:
    static constexpr const char* day = "2009/7/7";

    // With create false the folder stays empty until create() is called.
    explicit TestDatabase(bool create = true);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Whether the tests of this run are on the server.
    static bool onServer();

    void create();
    QString folder() const { return dir_.path(); }
    QString filePath() const;
    // Where the classes under test find the database.
    db::DatabaseLocation location() const;

    // Runs one statement with positional values; fails the test on an error.
    void exec(const QString& statement, const QVariantList& values = {});
    QVariant scalar(const QString& statement, const QVariantList& values = {});

    // A sex of 1 or 0 is stored as the engine's yes or no.
    void addPatient(const QString& number, const QVariant& name, const QVariant& sex,
                    const QString& birth = QStringLiteral("1950/1/2"));
    void addDrug(const QString& name, const QVariant& serialNumber);
    void addOrder(const QString& dispensingDay, const QString& sequence, const QString& patient);
    void addLine(const QString& dispensingDay, const QString& sequence, int item,
                 const QString& drug, const QVariant& state = {});
    QVariant lineState(const QString& dispensingDay, const QString& sequence, int item);

    // One order "1" of `day` for patient P1 with two lines, drugs A (serial E001) and B (E002).
    void addSampleOrder();

    // From now on the audit table refuses rows of the event, as a failing write would.
    void refuseAuditRows(const QString& event);
    // The audit rows of the event.
    int auditRows(const QString& event);

private:
    QSqlDatabase database() const;

    QTemporaryDir dir_;
    QString previousFolder_;
    QString connectionName_;
    std::optional<ScratchServerDatabase> server_;
};

// The text of the platform::AppError the action raises, empty when it raises none.
QString errorOf(const std::function<void()>& action);
