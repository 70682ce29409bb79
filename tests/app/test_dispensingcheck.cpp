#include "DispensingCheck.h"
#include "FakeDispensingWindow.h"
#include "MessageBoxes.h"
#include "OrderStatements.h"
#include "TADOQuery.h"
#include "TestDatabase.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {

const QString day = QString::fromLatin1(TestDatabase::day);
const QString warning = QStringLiteral("status:警告!! 拿錯藥品!!");
const QString dispensed = QStringLiteral("配藥完成");

// The check over a fake window and the real query, open on order "1" of the test day.
struct Bench {
    TestDatabase database;
    db::TADOConnection connection;
    db::TADOQuery query{connection};
    FakeDispensingWindow window{query};
    DispensingCheck check{window};
    platform::MessageRecorder messages;

    void openOrder(const QString& sequence = QStringLiteral("1")) {
        query.SQL = db::orderLinesStatement(sequence, day);
        query.Open();
        query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
        check.setPauseMs(0);
        check.setIdleBudget(100);
    }
    void addOneLineOrder() {
        database.addPatient(QStringLiteral("P1"), QStringLiteral("王小明"), 1);
        database.addDrug(QStringLiteral("A"), QStringLiteral("E001"));
        database.addOrder(day, QStringLiteral("1"), QStringLiteral("P1"));
        database.addLine(day, QStringLiteral("1"), 1, QStringLiteral("A"));
    }
    bool runUntilLogged(int entries) {
        return check.CheckDispensing([this, entries] { return window.log.size() >= entries; });
    }
    QVariant state(int item) { return database.lineState(day, QStringLiteral("1"), item); }
};

// Ends a run that would otherwise go on for good, so that a fault fails the test instead of
// hanging it.
std::function<bool()> giveUpLater() {
    return [deadline = QDeadlineTimer(20000)] { return deadline.hasExpired(); };
}

} // namespace

class TestDispensingCheck : public QObject {
    Q_OBJECT

private slots:

    // Lines A and B, B's tag in the field, the query on A.
    void wrongDrugThenRightDrug() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E002")};
        QVariantList atWeight;
        bench.window.onLog = [&](const QString& entry) {
            if (entry.startsWith(QStringLiteral("weight:")))
                atWeight << (bench.query.State() == db::TADOQuery::DataSetState::Edit)
                         << bench.query.FieldByName(QStringLiteral("配藥情況")).Value()
                         << bench.state(2).isNull();
        };
        QVERIFY(bench.runUntilLogged(5));
        QCOMPARE(bench.window.log,
                 QStringList({warning, "status:", "weight:克", "cleared", warning}));
        QCOMPARE(atWeight, QVariantList({true, QStringLiteral("配藥中"), true}));
        QCOMPARE(bench.messages.beeps(), 2);
        QVERIFY(bench.state(1).isNull());
        QCOMPARE(bench.state(2), QVariant(dispensed));
        QCOMPARE(bench.query.CurrentRow(), 1);
    }

    void twoLinesWithOneSerialNumberAreBothDispensed() {
        Bench bench;
        bench.addOneLineOrder();
        bench.database.addDrug(QStringLiteral("C"), QStringLiteral("E001"));
        bench.database.addLine(day, QStringLiteral("1"), 2, QStringLiteral("C"));
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E001")};
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QCOMPARE(bench.window.log, QStringList({"status:", "weight:克", "cleared",
                                                "status:", "weight:克", "completed"}));
        QCOMPARE(bench.state(1), QVariant(dispensed));
        QCOMPARE(bench.state(2), QVariant(dispensed));
    }

    void oneLineOrderCompletesShowingTheWeight_data() {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no reading yet") << ""
                                        << "weight:克";
        QTest::newRow("reading") << "+0012.34"
                                 << "weight:+0012.34克";
    }

    void oneLineOrderCompletesShowingTheWeight() {
        QFETCH(QString, weight);
        QFETCH(QString, shown);
        Bench bench;
        bench.addOneLineOrder();
        bench.openOrder();
        bench.window.weight = weight;
        bench.window.tags = QStringList{QStringLiteral("E001"), QStringLiteral("E777")};
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QCOMPARE(bench.window.log, QStringList({"status:", shown, "completed"}));
        QCOMPARE(bench.state(1), QVariant(dispensed));
    }

    void linesStoredBeforeCountTowardsCompletion() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = ? WHERE 項次 = 1"),
                            {dispensed});
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E002")};
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QCOMPARE(bench.window.log, QStringList({warning, "status:", "weight:克", "completed"}));
    }

    void emptyTagListEndsTheRunAfterTheIdleBudget() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.check.setIdleBudget(25);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QCOMPARE(bench.window.emptyPolls, 25);
        // Each poll waited for the tag list instead of spinning.
        QVERIFY2(timer.elapsed() >= 25 * DispensingCheck::defaultTagWaitMs * 9 / 10,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(bench.window.log.isEmpty());
        QVERIFY(bench.state(1).isNull());
    }

    // Two empty polls, one pass over a wrong tag, then empty again: ten empty polls in all.
    void idleBudgetIsNotRestoredByATag() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.check.setIdleBudget(10);
        bool shown = false;
        bench.window.beforeTagRead = [&] {
            if (bench.window.emptyPolls == 2 && !shown) {
                bench.window.tags = QStringList{QStringLiteral("E999")};
                shown = true;
            }
        };
        bench.window.onLog = [&](const QString&) { bench.window.tags.clear(); };
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QCOMPARE(bench.window.log, QStringList{warning});
        QCOMPARE(bench.window.emptyPolls, 10);
    }

    // A change of the tag list ends a poll's wait at once: here the wait would outlast the
    // deadline that ends the run.
    void tagListChangeEndsTheWait() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.check.setTagWaitMs(30000);
        QTimer::singleShot(0, [&] {
            bench.window.tags = QStringList{QStringLiteral("E999")};
            bench.check.tagListChanged();
        });
        bench.window.onLog = [&](const QString&) {
            QTimer::singleShot(0, [&] { bench.check.tagListChanged(); });
        };
        const QDeadlineTimer deadline(20000);
        QVERIFY(bench.check.CheckDispensing(
            [&] { return !bench.window.log.isEmpty() || deadline.hasExpired(); }));
        QVERIFY(!deadline.hasExpired());
        QCOMPARE(bench.window.log, QStringList{warning});
    }

    void orderWithoutLinesEndsAtOnce() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder(QStringLiteral("9"));
        bench.window.tags = QStringList{QStringLiteral("E001")};
        QVERIFY(bench.check.CheckDispensing(giveUpLater()));
        QVERIFY(bench.window.log.isEmpty());
        QCOMPARE(bench.window.emptyPolls, 0);
    }

    // Another station stores the line while it shows "配藥中": nothing is overwritten, the run
    // ends with the error, and the next run may start.
    void lineChangedByAnotherUserEndsTheRun() {
        Bench bench;
        bench.addOneLineOrder();
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E001")};
        bench.window.onLog = [&](const QString& entry) {
            if (entry.startsWith(QStringLiteral("weight:")))
                bench.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = '別人'"));
        };
        const QString error = errorOf([&] { bench.check.CheckDispensing(giveUpLater()); });
        QVERIFY2(error.startsWith(QStringLiteral("ADOQuery1: Row cannot be located for updating")),
                 qPrintable(error));
        QCOMPARE(bench.state(1), QVariant(QStringLiteral("別人")));
        QCOMPARE(bench.query.State(), db::TADOQuery::DataSetState::Browse);
        QVERIFY(!bench.window.log.contains(QStringLiteral("completed")));
        QVERIFY(bench.check.CheckDispensing([] { return true; }));
    }

    void failedDispensingLeavesNoEditOpen() {
        Bench bench;
        bench.addOneLineOrder();
        bench.openOrder();
        bench.query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(true);
        bench.window.tags = QStringList{QStringLiteral("E001")};
        QCOMPARE(errorOf([&] { bench.check.CheckDispensing(giveUpLater()); }),
                 QStringLiteral("ADOQuery1: Field '配藥情況' cannot be modified"));
        QCOMPARE(bench.query.State(), db::TADOQuery::DataSetState::Browse);
    }

    void runStartedInsideARunIsRefused() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E999")};
        QList<bool> nested;
        bench.window.onLog = [&](const QString&) {
            nested << bench.check.CheckDispensing(giveUpLater());
        };
        QVERIFY(bench.runUntilLogged(2));
        QCOMPARE(nested, QList<bool>({false, false}));
        QCOMPARE(bench.window.log, QStringList({warning, warning}));
        QCOMPARE(bench.window.lineRequests, 1 + 2);
    }

    // A run that never runs out of tags still ends when the application is told to quit.
    void quitEndsTheRun() {
        Bench bench;
        bench.database.addSampleOrder();
        bench.openOrder();
        bench.window.tags = QStringList{QStringLiteral("E999")};
        bench.window.onLog = [&](const QString&) {
            if (bench.window.log.size() == 3)
                QCoreApplication::exit(0);
        };
        const QDeadlineTimer deadline(20000);
        bool ran = false;
        QTimer::singleShot(
            0, [&] { ran = bench.check.CheckDispensing([&] { return deadline.hasExpired(); }); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(ran);
        QVERIFY(!deadline.hasExpired());
        QCOMPARE(bench.window.log.size(), 3);
    }
};

QTEST_MAIN(TestDispensingCheck)
#include "test_dispensingcheck.moc"
