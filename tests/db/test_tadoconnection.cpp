#include "TADOConnection.h"
#include "TestDatabase.h"

#include <QFile>
#include <QTest>

using namespace db;

class TestTADOConnection : public QObject {
    Q_OBJECT

private slots:
    void missingFileIsAnErrorUntilItExists() {
        TestDatabase database(false);
        TADOConnection connection;
        const QString error = errorOf([&] { connection.fetch(QStringLiteral("SELECT 1")); });
        QCOMPARE(error, QStringLiteral("unable to open database file"));
        QVERIFY(!connection.Connected());
        QVERIFY2(!QFile::exists(database.filePath()), "the station must never create the file");

        database.create();
        database.addSampleOrder();
        const ResultSet result = connection.fetch(QStringLiteral("SELECT 領藥序號 FROM 領藥單"));
        QVERIFY(connection.Connected());
        QCOMPARE(result.rows.size(), 1);
        QCOMPARE(result.rows.first().first().toString(), QStringLiteral("1"));
    }

    void engineErrorsCarryTheEngineText() {
        TestDatabase database;
        TADOConnection connection;
        QCOMPARE(errorOf([&] { connection.fetch(QStringLiteral("SELECT * FROM 不存在")); }),
                 QStringLiteral("no such table: 不存在"));
        // The connection stays usable after a failed statement.
        QCOMPARE(connection.fetch(QStringLiteral("SELECT 2")).rows.first().first().toInt(), 2);

        // Within a transaction it does not: the statements after the failure would run outside
        // the transaction the failure ended.
        connection.begin();
        QVERIFY(
            !errorOf([&] { connection.fetch(QStringLiteral("SELECT * FROM 不存在")); }).isEmpty());
        QVERIFY(errorOf([&] {
                    connection.fetch(QStringLiteral("SELECT 3"));
                }).contains(QStringLiteral("lost within a transaction")));
        connection.begin();
        QCOMPARE(connection.fetch(QStringLiteral("SELECT 4")).rows.first().first().toInt(), 4);
        connection.commit();
    }

    void updateOfSeveralRowsIsUndone() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection;
        const RowUpdate both{QStringLiteral("領藥明細"),
                             {{QStringLiteral("配藥情況"), QStringLiteral("配藥完成")}},
                             {{QStringLiteral("領藥序號"), QStringLiteral("1")}}};
        QCOMPARE(connection.update({both}), UpdateOutcome::RowNotUnique);
        QCOMPARE(database.scalar(QStringLiteral("SELECT COUNT(配藥情況) FROM 領藥明細")).toInt(),
                 0);
    }

    void busyDatabaseIsAnErrorAfterWaiting() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection;
        database.exec(QStringLiteral("BEGIN IMMEDIATE"));
        const RowUpdate line{QStringLiteral("領藥明細"),
                             {{QStringLiteral("配藥情況"), QStringLiteral("配藥完成")}},
                             {{QStringLiteral("項次"), 1}}};
        QCOMPARE(errorOf([&] { connection.update({line}); }), QStringLiteral("database is locked"));
        database.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(connection.update({line}), UpdateOutcome::Updated);
    }

    void oversizedResultIsRefused() {
        TestDatabase database;
        TADOConnection connection;
        const QString counting = QStringLiteral(
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n LIMIT %1) "
            "SELECT x FROM n");
        QCOMPARE(connection.fetch(counting.arg(TADOConnection::maxRows)).rows.size(),
                 TADOConnection::maxRows);
        QCOMPARE(errorOf([&] { connection.fetch(counting.arg(TADOConnection::maxRows + 1)); }),
                 QStringLiteral("The result has more than %1 rows").arg(TADOConnection::maxRows));
    }
};

QTEST_GUILESS_MAIN(TestTADOConnection)
#include "test_tadoconnection.moc"
