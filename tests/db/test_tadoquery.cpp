#include "AppError.h"
#include "AuditTrail.h"
#include "OrderStatements.h"
#include "TADOQuery.h"
#include "TestDatabase.h"
#include "TestDatabaseQuery.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cstdio>

using namespace db;

namespace {

const QString today = QString::fromLatin1(TestDatabase::day);
const QString rowChanged = QStringLiteral("ADOQuery1: Row cannot be located for updating. Some "
                                          "values may have been changed since it was last read.");

void openLines(TADOQuery& query, const QString& sequence = QStringLiteral("1")) {
    query.SQL = orderLinesStatement(sequence, today);
    query.Open();
    query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
}

void openList(TADOQuery& query, const QString& day = today) {
    query.SQL = orderListStatement(day);
    query.Open();
}

// Patient P1 of the name and sex, with an order "1", "2", ... on each of the days.
void addPatientWithOrders(TestDatabase& database, const QVariant& name, const QVariant& sex,
                          const QStringList& days = {today}) {
    database.addPatient(QStringLiteral("P1"), name, sex);
    for (int i = 0; i < days.size(); ++i)
        database.addOrder(days[i], QString::number(i + 1), QStringLiteral("P1"));
}

// An audit row of a stored line, with a column no table has.
const RowInsert storedRow{audit::Table,
                          {{audit::Time, QStringLiteral("2009-07-07T10:00:00.000+08:00")},
                           {audit::Event, QStringLiteral("配藥完成")},
                           {audit::Serial, QStringLiteral("E002")},
                           {QStringLiteral("NoSuchColumn"), 1}}};

void setState(TADOQuery& query, const QString& state) {
    query.Edit();
    query.FieldByName(QStringLiteral("配藥情況")).SetValue(state);
}

// The sample order's lines open, their state writable.
struct SampleLinesQuery : SampleOrderQuery {
    SampleLinesQuery() { openLines(query); }
};

QStringList fieldNames(TADOQuery& query) {
    QStringList names;
    for (int i = 0; i < query.FieldCount(); ++i)
        names << query.Fields(i).FieldName();
    return names;
}

// The child role of the durability test: posts line 1 of the sample order, says so, and waits
// to be killed. An empty server text means the file in the folder.
int postAsChild(const QString& folder, const QString& server) {
    QDir::setCurrent(folder);
    TADOConnection connection(server.isEmpty() ? DatabaseLocation::file()
                                               : DatabaseLocation::server(server));
    TADOQuery query(connection);
    try {
        openLines(query);
        setState(query, QStringLiteral("配藥完成"));
        query.Post();
    } catch (const platform::AppError& error) {
        std::fprintf(stdout, "failed: %s\n", qPrintable(error.text()));
        return 1;
    }
    std::fputs("posted\n", stdout);
    std::fflush(stdout);
    QThread::sleep(60);
    return 2;
}

} // namespace

class TestTADOQuery : public QObject {
    Q_OBJECT

private slots:
    void commandTextEndsEveryLineWithCrLf() {
        TADOConnection connection;
        TADOQuery query(connection);
        query.SQL = QStringList{QStringLiteral("SELECT 1"), QStringLiteral("WHERE 1")};
        QCOMPARE(query.CommandText(), QStringLiteral("SELECT 1\r\nWHERE 1\r\n"));
    }

    void orderList_data() {
        QTest::addColumn<QStringList>("orderDays");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("none that day") << QStringList{"2009/7/8"} << QStringList{};
        QTest::newRow("several") << QStringList{today, today, "2009/7/8", today}
                                 << QStringList{"1", "2", "4"};
        QTest::newRow("time of day not listed")
            << QStringList{today, today + " 10:30:00", " " + today} << QStringList{"1"};
    }

    void orderList() {
        QFETCH(QStringList, orderDays);
        QFETCH(QStringList, listed);
        TestDatabaseQuery fixture;
        addPatientWithOrders(fixture.database, QStringLiteral("王小明"), 1, orderDays);
        TADOQuery& query = fixture.query;
        openList(query);
        QCOMPARE(fieldNames(query),
                 QStringList({"配藥日期", "領藥序號", "姓名", "性別", "出生年月日"}));
        QCOMPARE(query.RecordCount(), listed.size());
        QStringList sequences;
        for (query.First(); !query.Eof(); query.Next())
            sequences << query.FieldByName(QStringLiteral("領藥序號")).AsString();
        sequences.sort();
        QCOMPARE(sequences, listed);
        QCOMPARE(errorOf([&] { query.FieldByName(QStringLiteral("SerialNumber")); }),
                 QStringLiteral("ADOQuery1: Field 'SerialNumber' not found"));
    }

    void orderLinesAddressDuplicatesByTable() {
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        QCOMPARE(fieldNames(query),
                 QStringList({"病歷號碼", "姓名", "性別", "出生年月日", "領藥明細.配藥日期",
                              "領藥序號", "項次", "藥品名稱", "數量", "配藥情況", "SerialNumber",
                              "領藥單.配藥日期"}));
        QCOMPARE(query.RecordCount(), 2);
        QCOMPARE(query.FieldByName(QStringLiteral("領藥單.配藥日期")).AsString(), today);
        QCOMPARE(query.FieldByName(QStringLiteral("領藥明細.配藥日期")).AsString(), today);
        QCOMPARE(query.FieldByName(QStringLiteral("serialnumber")).AsString(),
                 QStringLiteral("E001"));
        QCOMPARE(errorOf([&] { query.FieldByName(QStringLiteral("配藥日期")); }),
                 QStringLiteral("ADOQuery1: Field '配藥日期' not found"));
    }

    void nullNameIsAConversionError() {
        TestDatabaseQuery fixture;
        addPatientWithOrders(fixture.database, QVariant(), 1);
        openList(fixture.query);
        TField name = fixture.query.FieldByName(QStringLiteral("姓名"));
        QVERIFY(name.IsNull());
        QCOMPARE(errorOf([&] { name.AsString(); }),
                 QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    }

    void sexAsYesNo_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("male");
        QTest::addColumn<QString>("error");
        const QString cannot =
            QStringLiteral("Could not convert variant of type (%1) into type (Boolean)");
        QTest::newRow("1") << QVariant(1) << true << QString();
        QTest::newRow("0") << QVariant(0) << false << QString();
        QTest::newRow("NULL") << QVariant() << false << cannot.arg("Null");
        // The server's column is a yes/no and holds nothing else.
        if (TestDatabase::onServer())
            return;
        QTest::newRow("-1") << QVariant(-1) << true << QString();
        QTest::newRow("yes") << QVariant("yes") << true << QString();
        QTest::newRow("No") << QVariant("No") << false << QString();
        QTest::newRow("TRUE") << QVariant("TRUE") << true << QString();
        QTest::newRow("false") << QVariant("false") << false << QString();
        QTest::newRow("other text") << QVariant("M") << false << cannot.arg("String");
        QTest::newRow("other number") << QVariant(2) << false << cannot.arg("Int64");
    }

    void sexAsYesNo() {
        QFETCH(QVariant, stored);
        QFETCH(bool, male);
        QFETCH(QString, error);
        TestDatabaseQuery fixture;
        addPatientWithOrders(fixture.database, QStringLiteral("王小明"), stored);
        openList(fixture.query);
        TField sex = fixture.query.FieldByName(QStringLiteral("性別"));
        bool value = !male;
        QCOMPARE(errorOf([&] { value = sex.AsBoolean(); }), error);
        if (error.isEmpty())
            QCOMPARE(value, male);
    }

    // Like compares regardless of ASCII case, knows % and _ and no escape character, on either
    // engine.
    void likeMatchesAlikeOnEitherEngine_data() {
        QTest::addColumn<QString>("dayText");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("other case") << "MON 7/7" << QStringList{"1"};
        QTest::newRow("underscore") << "Mon 7/_" << QStringList({"1", "2"});
        QTest::newRow("percent") << "%" << QStringList({"1", "2", "3", "4"});
        QTest::newRow("backslash") << "a\\b" << QStringList{"3"};
        QTest::newRow("backslash before percent") << "a\\%" << QStringList{"3"};
        QTest::newRow("backslash before underscore") << "A\\_" << QStringList{"3"};
        QTest::newRow("quote") << "o'day" << QStringList{"4"};
    }

    void likeMatchesAlikeOnEitherEngine() {
        QFETCH(QString, dayText);
        QFETCH(QStringList, listed);
        TestDatabaseQuery fixture;
        addPatientWithOrders(fixture.database, QStringLiteral("王小明"), 1,
                             {"Mon 7/7", "mon 7/8", "a\\b", "O'Day"});
        TADOQuery& query = fixture.query;
        openList(query, dayText);
        QStringList sequences;
        for (query.First(); !query.Eof(); query.Next())
            sequences << query.FieldByName(QStringLiteral("領藥序號")).AsString();
        sequences.sort();
        QCOMPARE(sequences, listed);
    }

    void quotedValuesStayValues_data() {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<int>("lines");
        QTest::newRow("quote in the sequence") << QStringLiteral("A\"1") << 1;
        QTest::newRow("quote ending the text") << QStringLiteral("A\"") << 0;
        QTest::newRow("widening attempt") << QStringLiteral("x\") OR (\"1\"=\"1") << 0;
        QTest::newRow("a column's name") << QStringLiteral("SerialNumber") << 0;
    }

    void quotedValuesStayValues() {
        QFETCH(QString, sequence);
        QFETCH(int, lines);
        SampleOrderQuery fixture;
        TestDatabase& database = fixture.database;
        database.addOrder(today, QStringLiteral("A\"1"), QStringLiteral("P1"));
        database.addLine(today, QStringLiteral("A\"1"), 1, QStringLiteral("B"));
        // An order whose sequence equals its drug's serial number, found if text were read as
        // the column SerialNumber.
        database.addOrder(today, QStringLiteral("E001"), QStringLiteral("P1"));
        database.addLine(today, QStringLiteral("E001"), 1, QStringLiteral("A"));
        TADOQuery& query = fixture.query;
        query.SQL = orderLinesStatement(sequence, today);
        QCOMPARE(errorOf([&] { query.Open(); }), QString());
        QCOMPARE(query.RecordCount(), lines);
        if (lines > 0)
            QCOMPARE(query.FieldByName(QStringLiteral("領藥序號")).AsString(), sequence);
    }

    void navigation() {
        SampleOrderQuery fixture;
        TADOQuery& query = fixture.query;
        QVERIFY(query.Eof());
        QCOMPARE(query.CurrentRow(), -1);
        QCOMPARE(errorOf([&] { query.RecordCount(); }),
                 QStringLiteral("ADOQuery1: Cannot perform this operation on a closed dataset"));
        openLines(query);
        QSignalSpy scrolled(&query, &TADOQuery::afterScroll);
        QVERIFY(!query.Eof());
        QCOMPARE(query.CurrentRow(), 0);
        query.Next();
        QCOMPARE(query.FieldByName(QStringLiteral("項次")).AsString(), QStringLiteral("2"));
        QVERIFY(!query.Eof());
        query.Next();
        QVERIFY(query.Eof());
        QCOMPARE(query.CurrentRow(), 1);
        QCOMPARE(scrolled.size(), 1);
        query.First();
        QVERIFY(!query.Eof());
        QCOMPARE(query.CurrentRow(), 0);
        QCOMPARE(scrolled.size(), 2);
        QCOMPARE(errorOf([&] { query.MoveTo(2); }),
                 QStringLiteral("ADOQuery1: Row 2 is outside the result"));
    }

    void fieldOfAnEarlierResultIsRefused() {
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        TField serial = query.FieldByName(QStringLiteral("SerialNumber"));
        query.Close();
        openList(query);
        QCOMPARE(errorOf([&] { serial.AsString(); }),
                 QStringLiteral("ADOQuery1: Field 'SerialNumber' not found"));
    }

    void editRules() {
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        TField state = query.FieldByName(QStringLiteral("配藥情況"));
        QCOMPARE(errorOf([&] { state.SetValue(QStringLiteral("配藥中")); }),
                 QStringLiteral("ADOQuery1: Dataset not in edit or insert mode"));
        QCOMPARE(errorOf([&] { query.Post(); }),
                 QStringLiteral("ADOQuery1: Dataset not in edit or insert mode"));
        query.Edit();
        QCOMPARE(errorOf([&] { query.FieldByName(QStringLiteral("姓名")).SetValue("x"); }),
                 QStringLiteral("ADOQuery1: Field '姓名' cannot be modified"));
        QVERIFY(query.FieldByName(QStringLiteral("姓名")).ReadOnly());
        QVERIFY(!state.ReadOnly());
    }

    void emptyResultCannotBeEdited() {
        TestDatabaseQuery fixture;
        openLines(fixture.query);
        QCOMPARE(errorOf([&] { fixture.query.Edit(); }),
                 QStringLiteral("ADOQuery1: Cannot perform this operation on an empty dataset"));
    }

    void postStoresTheEditedLineOnly() {
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        query.Next();
        QSignalSpy changed(&query, &TADOQuery::dataChanged);
        setState(query, QStringLiteral("配藥中"));
        TField state = query.FieldByName(QStringLiteral("配藥情況"));
        QCOMPARE(state.AsString(), QStringLiteral("配藥中"));
        QVERIFY2(fixture.database.lineState(today, QStringLiteral("1"), 2).isNull(),
                 "the edit buffer is never stored on its own");
        state.SetValue(QStringLiteral("配藥完成"));
        query.Post({storedRow});
        QCOMPARE(fixture.database
                     .scalar(QStringLiteral("SELECT %1 FROM %2").arg(audit::Serial, audit::Table))
                     .toString(),
                 QStringLiteral("E002"));
        QCOMPARE(query.State(), TADOQuery::DataSetState::Browse);
        QCOMPARE(state.AsString(), QStringLiteral("配藥完成"));
        QCOMPARE(fixture.database.lineState(today, QStringLiteral("1"), 2).toString(),
                 QStringLiteral("配藥完成"));
        QVERIFY(fixture.database.lineState(today, QStringLiteral("1"), 1).isNull());
        QCOMPARE(changed.size(), 3);
    }

    void postFailsWhenTheLineChangedElsewhere_data() {
        QTest::addColumn<bool>("removed");
        QTest::newRow("changed by another station") << false;
        QTest::newRow("removed") << true;
    }

    void postFailsWhenTheLineChangedElsewhere() {
        QFETCH(bool, removed);
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        if (removed) {
            fixture.database.exec(QStringLiteral("DELETE FROM 領藥明細 WHERE 項次 = 1"));
        } else {
            TADOConnection otherConnection(fixture.database.location());
            TADOQuery other(otherConnection);
            openLines(other);
            setState(other, QStringLiteral("別的藥師"));
            other.Post();
        }
        setState(query, QStringLiteral("配藥完成"));
        QCOMPARE(errorOf([&] { query.Post({storedRow}); }), rowChanged);
        QCOMPARE(fixture.database.auditRows(QStringLiteral("配藥完成")), 0);
        QCOMPARE(query.State(), TADOQuery::DataSetState::Browse);
        QVERIFY2(query.FieldByName(QStringLiteral("配藥情況")).IsNull(), "the row stays as read");
        const QVariant stored = fixture.database.scalar(
            QStringLiteral("SELECT MAX(配藥情況) FROM 領藥明細 WHERE 項次 = 1"));
        if (removed)
            QVERIFY2(stored.isNull(), "a removed line is not written again");
        else
            QCOMPARE(stored.toString(), QStringLiteral("別的藥師"));
    }

    // A refused audit row stores nothing; a database made before the audit table stores as ever.
    void postAndItsRowsAreStoredTogether_data() {
        QTest::addColumn<bool>("withTable");
        QTest::newRow("row refused") << true;
        QTest::newRow("no audit table") << false;
    }

    void postAndItsRowsAreStoredTogether() {
        QFETCH(bool, withTable);
        SampleLinesQuery fixture;
        if (withTable)
            fixture.database.refuseAuditRows(QStringLiteral("配藥完成"));
        else
            fixture.database.exec(QStringLiteral("DROP TABLE %1").arg(audit::Table));
        setState(fixture.query, QStringLiteral("配藥完成"));
        const QString error = errorOf([&] { fixture.query.Post({storedRow}); });
        const QVariant state = fixture.database.lineState(today, QStringLiteral("1"), 1);
        if (withTable) {
            QVERIFY2(error.contains(QStringLiteral("audit row refused")), qPrintable(error));
            QVERIFY2(state.isNull(), "the line is not stored without its row");
        } else {
            QCOMPARE(error, QString());
            QCOMPARE(state.toString(), QStringLiteral("配藥完成"));
        }
    }

    void movingPostsAndClosingDiscards() {
        SampleLinesQuery fixture;
        TADOQuery& query = fixture.query;
        setState(query, QStringLiteral("配藥完成"));
        query.Next();
        QCOMPARE(fixture.database.lineState(today, QStringLiteral("1"), 1).toString(),
                 QStringLiteral("配藥完成"));
        setState(query, QStringLiteral("配藥完成"));
        query.Close();
        QVERIFY(fixture.database.lineState(today, QStringLiteral("1"), 2).isNull());
    }

    void postIsDurableWhenItReturns() {
        TestDatabase database;
        database.addSampleOrder();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--post-child"), database.folder(),
                     database.location().isServer() ? database.location().target() : QString()});
        QVERIFY(child.waitForStarted(30000));
        QByteArray output;
        const QDeadlineTimer deadline(30000);
        while (!output.contains('\n') && !deadline.hasExpired() &&
               child.state() == QProcess::Running) {
            child.waitForReadyRead(1000);
            output += child.readAllStandardOutput();
        }
        child.kill();
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(output, QByteArray("posted\n"));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(database.lineState(today, QStringLiteral("1"), 1).toString(),
                 QStringLiteral("配藥完成"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--post-child") == 0)
        return postAsChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestTADOQuery test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_tadoquery.moc"
