#include "PrescriptionTables.h"
#include "ScratchServerDatabase.h"
#include "ServerTables.h"
#include "SqlRun.h"
#include "TableStatements.h"
#include "ToolTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// db-copy moving a station's file onto a database of the test server.
class TestDbCopy : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString demoFile;
    QString checksFile; // the same, with the drugs' optional columns

    // A demo file with `change` made to a copy of it.
    QString changedFile(const QString& change, const QString& demo) const {
        const QString path = dir.filePath(QStringLiteral("changed.db"));
        QFile::remove(path);
        if (!QFile::copy(demo, path))
            return {};
        const auto file = connectToFile(path, db::DatabaseLocation::FileAccess::Existing);
        for (const QString& statement : change.split(u';'))
            dbtools::run(*file, statement);
        return path;
    }

    static ToolRun copy(const QString& file, const ScratchServerDatabase& server,
                        const QStringList& more = {}) {
        return runTool(QStringLiteral("db-copy"),
                       QStringList{QStringLiteral("--from"), file, QStringLiteral("--to"),
                                   server.connectionText()} +
                           more);
    }

    static QList<QStringList> noRows() { return QList<QStringList>(4); }

    // The tables as an administrator makes them from the printed schema.
    static void createPrintedTables(const ScratchServerDatabase& server) {
        const ToolRun schema =
            runTool(QStringLiteral("db-copy"), {QStringLiteral("--print-schema")});
        QCOMPARE(schema.exitCode, 0);
        const auto connection = server.connect();
        for (const QString& statement :
             schema.output.split(QStringLiteral(";\n"), Qt::SkipEmptyParts))
            dbtools::run(*connection, statement);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY2(!testServerText().isEmpty(),
                 "no test server: STATION_POSTGRES_CONNINFO_FILE names no readable file");
        demoFile = dir.filePath(QStringLiteral("demo.db"));
        checksFile = dir.filePath(QStringLiteral("checks.db"));
        const QStringList demo{QStringLiteral("--orders"), QStringLiteral("1500"),
                               QStringLiteral("--seed"), QStringLiteral("4"),
                               QStringLiteral("--output")};
        QCOMPARE(runTool(QStringLiteral("demo-db-maker"), demo + QStringList{demoFile}).exitCode,
                 0);
        QCOMPARE(runTool(QStringLiteral("demo-db-maker"),
                         demo + QStringList{checksFile, QStringLiteral("--checks")})
                     .exitCode,
                 0);
    }

    void copiesEveryRow_data() {
        QTest::addColumn<bool>("checks");
        QTest::addColumn<bool>("createTables");
        QTest::newRow("tables made by the tool") << false << true;
        QTest::newRow("tables made beforehand") << false << false;
        QTest::newRow("check columns, tables made by the tool") << true << true;
        QTest::newRow("check columns, tables from the printed schema") << true << false;
    }

    void copiesEveryRow() {
        QFETCH(bool, checks);
        QFETCH(bool, createTables);
        // Texts a statement must carry intact, and every yes/no the file may hold.
        const QString file = changedFile(
            QStringLiteral(
                "UPDATE 病人基本資料 SET 姓名 = 'O''Brien \\ $$ \"x\" 😀' || char(10) || '),(' "
                "WHERE 病歷號碼 = '1000001';"
                "UPDATE 病人基本資料 SET 性別 = -1, 出生年月日 = NULL WHERE 病歷號碼 = '1000002';"
                "UPDATE 病人基本資料 SET 性別 = 'TRUE' WHERE 病歷號碼 = '1000004';"
                "UPDATE 病人基本資料 SET 性別 = 'false' WHERE 病歷號碼 = '1000005';"
                "UPDATE 配藥紀錄 SET 時間 = '2009-07-06T09:15:00.123+08:00' WHERE rowid = 1;"
                "UPDATE 配藥紀錄 SET 時間 = '2009-07-06T01:16:00Z' WHERE rowid = 2"),
            checks ? checksFile : demoFile);
        ScratchServerDatabase server;
        if (!createTables && checks)
            createPrintedTables(server);
        else if (!createTables)
            dbtools::createTables(*server.connect());
        const ToolRun run =
            copy(file, server,
                 createTables ? QStringList{QStringLiteral("--create-tables")} : QStringList{});
        QCOMPARE(run.exitCode, 0);

        const QList<QStringList> fileRows = prescriptionRows(*connectToFile(file));
        const QList<QStringList> serverRows = prescriptionRows(*server.connect());
        QCOMPARE(serverRows, fileRows);
        const QStringList& patients = serverRows.at(dbtools::Patients);
        QVERIFY(patients.at(0).contains(QStringLiteral("\n),(")));
        QVERIFY(patients.at(1).startsWith(u"1000002|") && patients.at(1).endsWith(u"|yes|<NULL>"));
        QCOMPARE(patients.at(3).section(u'|', 2, 2), QStringLiteral("yes"));
        QCOMPARE(patients.at(4).section(u'|', 2, 2), QStringLiteral("no"));
        // A file without the optional columns makes tables without them.
        const QStringList& drugs = serverRows.at(dbtools::Drugs);
        QCOMPARE(drugs.first().count(u'|'), checks ? 4 : 1);
        for (int table = 0; table < fileRows.size(); ++table)
            QVERIFY2(run.output.contains(QStringLiteral("%1: %2 rows")
                                             .arg(dbtools::prescriptionTables().at(table).name)
                                             .arg(fileRows.at(table).size())),
                     qPrintable(run.output));

        const QStringList fileAudit = auditRows(*connectToFile(file));
        QVERIFY(fileAudit.size() > 100);
        QCOMPARE(auditRows(*server.connect()), fileAudit);
        // The same instants whatever the server's own zone.
        QCOMPARE(
            dbtools::single(*server.connect(),
                            QStringLiteral("SELECT COUNT(*) FROM 配藥紀錄 WHERE 時間 IN "
                                           "('2009-07-06T01:15:00.123Z', '2009-07-06T01:16Z')")),
            2);
    }

    // As before the audit table: a server's tables made without it, and a file without it.
    void copiesAFileWithoutTheAuditTable() {
        ScratchServerDatabase server;
        for (const QString& statement :
             dbtools::tableStatements(db::Engine::Postgres, dbtools::prescriptionTables(), {}))
            dbtools::run(*server.connect(), statement);
        const QString file = changedFile(QStringLiteral("DROP TABLE 配藥紀錄"), demoFile);
        const ToolRun run = copy(file, server);
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QCOMPARE(prescriptionRows(*server.connect()), prescriptionRows(*connectToFile(file)));
    }

    void refusesTablesHoldingRows_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("emptied");
        const QString orders = QStringLiteral("DELETE FROM 領藥明細; DELETE FROM 領藥單; ");
        QTest::newRow("patients") << QStringLiteral("病人基本資料")
                                  << orders + QStringLiteral("DELETE FROM 藥品資料表");
        QTest::newRow("drugs") << QStringLiteral("藥品資料表")
                               << orders + QStringLiteral("DELETE FROM 病人基本資料");
    }

    void refusesTablesHoldingRows() {
        QFETCH(QString, table);
        QFETCH(QString, emptied);
        ScratchServerDatabase server;
        QCOMPARE(runTool(QStringLiteral("demo-db-maker"),
                         {QStringLiteral("--server"), server.connectionText()})
                     .exitCode,
                 0);
        for (const QString& statement : emptied.split(u';'))
            dbtools::run(*server.connect(), statement);
        const QList<QStringList> before = prescriptionRows(*server.connect());

        const ToolRun run = copy(demoFile, server);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("table %1 on the server").arg(table)),
                 qPrintable(run.errors));
        QCOMPARE(prescriptionRows(*server.connect()), before);
    }

    void refusesBadValues_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("named");
        const QString patient =
            QStringLiteral("UPDATE 病人基本資料 SET %1 WHERE 病歷號碼 = '1000004'");
        const QString line = QStringLiteral("UPDATE 領藥明細 SET %1 WHERE rowid = 7");
        const QStringList patientNamed{QStringLiteral("病人基本資料"), QStringLiteral("1000004")};
        QTest::newRow("sex 2") << patient.arg(QStringLiteral("性別 = 2")) << patientNamed;
        QTest::newRow("sex yes") << patient.arg(QStringLiteral("性別 = 'yes'")) << patientNamed;
        QTest::newRow("sex binary") << patient.arg(QStringLiteral("性別 = x'01'")) << patientNamed;
        QTest::newRow("name with NUL")
            << patient.arg(QStringLiteral("姓名 = 'a' || char(0) || 'b'")) << patientNamed;
        QTest::newRow("quantity text")
            << line.arg(QStringLiteral("數量 = 'many'"))
            << QStringList{QStringLiteral("領藥明細, row 7"), QStringLiteral("數量")};
        QTest::newRow("unknown drug")
            << line.arg(QStringLiteral("藥品名稱 = 'no such drug'"))
            << QStringList{QStringLiteral("領藥明細"), QStringLiteral("no such drug")};
        QTest::newRow("no such table")
            << QStringLiteral("DROP TABLE 領藥明細") << QStringList{QStringLiteral("領藥明細")};
        const auto drugRow =
            [](const char* name, const QString& set, const QString& named) {
                QTest::newRow(name)
                    << QStringLiteral("UPDATE 藥品資料表 SET %1 WHERE rowid = 2").arg(set)
                    << QStringList{QStringLiteral("藥品資料表, row 2"), named};
            };
        drugRow("weight text", QStringLiteral("單位重量 = 'heavy'"),
                QStringLiteral("單位重量 holds \"heavy\""));
        drugRow("weight endless", QStringLiteral("單位重量 = 9e999"),
                QStringLiteral("單位重量 holds"));
        drugRow("day off the calendar", QStringLiteral("有效期限 = '2010-02-30'"),
                QStringLiteral("有效期限 holds \"2010-02-30\""));
        drugRow("day in single digits", QStringLiteral("有效期限 = '2010-6-30'"),
                QStringLiteral("有效期限 holds"));
        // Without its offset the server would read it in its own zone.
        for (const char* time : {"'2009-07-06T09:15:00.123'", "'2009-07-06T24:15+08:00'", "9"})
            QTest::newRow(time) << QStringLiteral("UPDATE 配藥紀錄 SET 時間 = %1 WHERE rowid = 3")
                                       .arg(QString::fromLatin1(time))
                                << QStringList{QStringLiteral("配藥紀錄, row 3: 時間 holds")};
    }

    void refusesBadValues() {
        QFETCH(QString, change);
        QFETCH(QStringList, named);
        const QString file = changedFile(change, checksFile);
        ScratchServerDatabase server;
        dbtools::createTables(*server.connect(), dbtools::allOptionalColumnNames());

        const ToolRun run = copy(file, server);
        QCOMPARE(run.exitCode, 1);
        for (const QString& name : named)
            QVERIFY2(run.errors.contains(name), qPrintable(run.errors));
        QCOMPARE(prescriptionRows(*server.connect()), noRows());
    }

    void keepsNoTablesItMadeOnFailure() {
        const QString file = changedFile(
            QStringLiteral("UPDATE 領藥明細 SET 藥品名稱 = 'no such drug' WHERE rowid = 7"),
            demoFile);
        ScratchServerDatabase server;
        const ToolRun run = copy(file, server, {QStringLiteral("--create-tables")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QStringLiteral("no such drug")), qPrintable(run.errors));
        QCOMPARE(dbtools::existingTables(*server.connect()), QStringList{});
    }

    void refusesFilesThatAreNoDatabase_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QStringLiteral("missing.db") << QByteArray();
        QTest::newRow("text") << QStringLiteral("text.db") << QByteArray("no database\n");
    }

    void refusesFilesThatAreNoDatabase() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = dir.filePath(name);
        if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        ScratchServerDatabase server;
        dbtools::createTables(*server.connect());

        const ToolRun run = copy(path, server);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(path), qPrintable(run.errors));
        QCOMPARE(QFile(path).size(), content.size());
        QCOMPARE(QFile::exists(path), !content.isNull());
        QCOMPARE(prescriptionRows(*server.connect()), noRows());
    }
};

QTEST_GUILESS_MAIN(TestDbCopy)
#include "test_dbcopy.moc"
