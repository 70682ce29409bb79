#include "PrescriptionTables.h"
#include "ScratchServerDatabase.h"
#include "SqlRun.h"
#include "ToolTestSupport.h"

#include <QDate>
#include <QDateTime>
#include <QSqlField>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

// demo-db-maker filling a database of the test server.
class TestDemoDbMakerServer : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static ToolRun makeOnServer(const ScratchServerDatabase& server, const QStringList& arguments) {
        return runTool(QStringLiteral("demo-db-maker"),
                       arguments +
                           QStringList{QStringLiteral("--server"), server.connectionText()});
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY2(!testServerText().isEmpty(),
                 "no test server: STATION_POSTGRES_CONNINFO_FILE names no readable file");
    }

    void sameContentAsAFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("default") << QStringList{QStringLiteral("--seed"), QStringLiteral("5")};
        // Many statements per table.
        QTest::newRow("several batches")
            << QStringList{QStringLiteral("--orders"), QStringLiteral("3000"),
                           QStringLiteral("--lines"), QStringLiteral("15000")};
        QTest::newRow("check columns") << QStringList{QStringLiteral("--checks")};
    }

    void sameContentAsAFile() {
        QFETCH(QStringList, arguments);
        arguments << QStringLiteral("--today") << QStringLiteral("2009-07-07");
        const QString file = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".db");
        QCOMPARE(runTool(QStringLiteral("demo-db-maker"),
                         arguments + QStringList{QStringLiteral("--output"), file})
                     .exitCode,
                 0);
        ScratchServerDatabase server;
        const ToolRun run = makeOnServer(server, arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains(QStringLiteral("orders with")), qPrintable(run.output));

        const QList<QStringList> serverRows = prescriptionRows(*server.connect());
        QCOMPARE(serverRows, prescriptionRows(*connectToFile(file)));
        for (const QStringList& rows : serverRows)
            QVERIFY(!rows.isEmpty());
        const QStringList history = auditRows(*server.connect());
        QVERIFY(!history.isEmpty());
        QCOMPARE(history, auditRows(*connectToFile(file)));

        // The server's own types.
        const auto connection = server.connect();
        QCOMPARE(connection->recordOf(QStringLiteral("配藥紀錄")).field(0).metaType(),
                 QMetaType::fromType<QDateTime>());
        if (arguments.contains(QStringLiteral("--checks"))) {
            const QSqlRecord drugs = connection->recordOf(QStringLiteral("藥品資料表"));
            QCOMPARE(drugs.field(QStringLiteral("單位重量")).metaType(),
                     QMetaType::fromType<double>());
            QCOMPARE(drugs.field(QStringLiteral("有效期限")).metaType(),
                     QMetaType::fromType<QDate>());
        }

        // The foreign keys are in force again.
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            dbtools::run(*connection,
                         QStringLiteral("INSERT INTO 領藥明細 (配藥日期, 領藥序號, 項次, 藥品名稱) "
                                        "VALUES ('x', 'y', 1, 'no such drug')")));
    }

    void refusesTablesThatExist() {
        ScratchServerDatabase server;
        QCOMPARE(makeOnServer(server, {}).exitCode, 0);
        const QList<QStringList> first = prescriptionRows(*server.connect());

        const ToolRun refused =
            makeOnServer(server, {QStringLiteral("--seed"), QStringLiteral("2")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.errors.contains(QStringLiteral("--force")) &&
                     refused.errors.contains(QStringLiteral("領藥明細")),
                 qPrintable(refused.errors));
        QCOMPARE(prescriptionRows(*server.connect()), first);

        QCOMPARE(makeOnServer(server, {QStringLiteral("--seed"), QStringLiteral("2"),
                                       QStringLiteral("--force")})
                     .exitCode,
                 0);
        const QList<QStringList> second = prescriptionRows(*server.connect());
        QVERIFY(second != first);
        QVERIFY(!second.at(dbtools::Lines).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDemoDbMakerServer)
#include "test_demodbmaker_server.moc"
