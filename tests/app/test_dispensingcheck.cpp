#include "AuditWriter.h"
#include "DispensingCheck.h"
#include "DispensingJournal.h"
#include "FakeDispensingWindow.h"
#include "MessageBoxes.h"
#include "OrderStatements.h"
#include "TADOQuery.h"
#include "TestDatabase.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>

Q_DECLARE_METATYPE(balance::ReadingState)

namespace {

const QString day = QString::fromLatin1(TestDatabase::day);
const QString warning = QStringLiteral("status:警告!! 拿錯藥品!!");
const QString dispensed = QStringLiteral("配藥完成");

// The check over a fake window and the real query, open on order "1" of the test day.
struct CheckFixture {
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

    // The wrong container's row by the writer, the store's row with the store. A container
    // lying on the reader is one presentation: warned of on every turn, before its own line is
    // stored and after, or beside its expired line, it is recorded once.
    void eventsBecomeAuditRows_data() {
        QTest::addColumn<bool>("expired");
        QTest::newRow("its line stored") << false;
        QTest::newRow("its line expired") << true;
    }

    void eventsBecomeAuditRows() {
        QFETCH(bool, expired);
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        if (expired)
            fixture.window.drug.expiry = QDate::currentDate().addDays(-1);
        const QTemporaryDir folder;
        DispensingJournal journal(folder.filePath(DispensingJournal::defaultFileName()));
        fixture.check.setJournal(&journal);
        {
            AuditWriter writer(fixture.database.location(), nullptr);
            fixture.check.setAudit({QStringLiteral("S1"), QStringLiteral("u1")}, &writer);
            fixture.window.tags = QStringList{QStringLiteral("E002")};
            fixture.window.weight = QStringLiteral("12.34");
            QVERIFY(fixture.runUntilLogged(40));
            QVERIFY(fixture.window.log.count(warning) >= 15);
        }
        QCOMPARE(fixture.database.auditRows(QStringLiteral("拿錯藥品")), 1);
        QFile written(journal.path());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()).count(QStringLiteral("拿錯藥品")), 1);
        QCOMPARE(fixture.database.auditRows(QStringLiteral("藥品過期")), expired ? 1 : 0);
        QCOMPARE(fixture.database.auditRows(dispensed), expired ? 0 : 1);
        if (expired)
            return;
        QCOMPARE(
            fixture.database
                .scalar(QStringLiteral("SELECT 工作站 || 使用者 || 項次 || "
                                       "SerialNumber || 顯示重量 FROM 配藥紀錄 WHERE 事件 = ?"),
                        {dispensed})
                .toString(),
            QStringLiteral("S1u12E00212.34克"));
    }

    // A failure is reported once, and again only after a write succeeded in between.
    void failedAuditWritesAreReportedOnce() {
        TestDatabase database;
        database.refuseAuditRows(QStringLiteral("拿錯藥品"));
        std::atomic<int> reports = 0;
        AuditWriter writer(database.location(), [&](const QString&) { ++reports; });
        const auto post = [&](const QString& event) {
            AuditEntry entry;
            entry.event = event;
            writer.post(auditRow(entry, {}, QDateTime::currentDateTime()));
        };
        post(QStringLiteral("拿錯藥品"));
        post(QStringLiteral("拿錯藥品"));
        post(QStringLiteral("開始配藥"));
        QTRY_COMPARE_WITH_TIMEOUT(database.auditRows(QStringLiteral("開始配藥")), 1, 20000);
        QCOMPARE(reports.load(), 1);
        post(QStringLiteral("拿錯藥品"));
        QTRY_COMPARE_WITH_TIMEOUT(reports.load(), 2, 20000);
    }

    // Lines A and B, B's tag in the field, the query on A.
    void wrongDrugThenRightDrug() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E002")};
        QVariantList atWeight;
        fixture.window.onLog = [&](const QString& entry) {
            if (entry.startsWith(QStringLiteral("weight:")))
                atWeight << (fixture.query.State() == db::TADOQuery::DataSetState::Edit)
                         << fixture.query.FieldByName(QStringLiteral("配藥情況")).Value()
                         << fixture.state(2).isNull();
        };
        QVERIFY(fixture.runUntilLogged(5));
        QCOMPARE(fixture.window.log,
                 QStringList({warning, "status:", "weight:克", "cleared", warning}));
        QCOMPARE(atWeight, QVariantList({true, QStringLiteral("配藥中"), true}));
        QCOMPARE(fixture.messages.beeps(), 2);
        QVERIFY(fixture.state(1).isNull());
        QCOMPARE(fixture.state(2), QVariant(dispensed));
        QCOMPARE(fixture.query.CurrentRow(), 1);
    }

    void twoLinesWithOneSerialNumberAreBothDispensed() {
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.database.addDrug(QStringLiteral("C"), QStringLiteral("E001"));
        fixture.database.addLine(day, QStringLiteral("1"), 2, QStringLiteral("C"));
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.log, QStringList({"status:", "weight:克", "cleared",
                                                  "status:", "weight:克", "completed"}));
        QCOMPARE(fixture.state(1), QVariant(dispensed));
        QCOMPARE(fixture.state(2), QVariant(dispensed));
    }

    void oneLineOrderCompletesShowingTheWeight_data() {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<bool>("namesUnit");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no reading yet") << "" << false << "weight:克";
        QTest::newRow("reading") << "+0012.34" << false << "weight:+0012.34克";
        QTest::newRow("a dialect's reading names its unit")
            << "12.30 g" << true << "weight:12.30 g";
        QTest::newRow("a dialect's overload") << "High" << true << "weight:High";
    }

    void oneLineOrderCompletesShowingTheWeight() {
        QFETCH(QString, weight);
        QFETCH(bool, namesUnit);
        QFETCH(QString, shown);
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.openOrder();
        fixture.window.weight = weight;
        fixture.window.weightNamesUnit = namesUnit;
        fixture.window.tags = QStringList{QStringLiteral("E001"), QStringLiteral("E777")};
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.log, QStringList({"status:", shown, "completed"}));
        QCOMPARE(fixture.state(1), QVariant(dispensed));
    }

    // Count by weight: 4 units of 2.5 g, 5 % either way. A settled reading inside the window
    // stores the line; one outside it, or one that never settles, warns once the wait is over,
    // with one beep, and stores nothing; the corrected count is stored at the container's next
    // turn. A container taken away while it is weighed leaves its line quietly.
    void weighedLine_data() {
        QTest::addColumn<balance::ReadingState>("state");
        QTest::addColumn<qint64>("tenThousandths");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("warned");
        QTest::newRow("within") << balance::ReadingState::Stable << qint64(103000) << "g" << false;
        QTest::newRow("in kilograms")
            << balance::ReadingState::Stable << qint64(98) << "kg" << false;
        QTest::newRow("20 % over")
            << balance::ReadingState::Stable << qint64(120000) << "g" << true;
        QTest::newRow("unstable") << balance::ReadingState::Unstable << qint64(100000) << "g"
                                  << true;
        QTest::newRow("overload") << balance::ReadingState::Overload << qint64(0) << "" << true;
        QTest::newRow("pieces") << balance::ReadingState::Stable << qint64(40000) << "pcs" << true;
    }

    void weighedLine() {
        QFETCH(balance::ReadingState, state);
        QFETCH(qint64, tenThousandths);
        QFETCH(QString, unit);
        QFETCH(bool, warned);
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.database.exec(QStringLiteral("UPDATE 領藥明細 SET 數量 = 4"));
        fixture.openOrder();
        fixture.check.setSettings({.weightCheck = true, .weightWaitSeconds = 1});
        fixture.window.drug.unitGrams = 2.5;
        fixture.window.reading = {state, tenThousandths, unit.toStdString()};
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        const QString expectation = QStringLiteral("status:Weigh 10.00 g (9.50 - 10.50 g)");
        const QString wrongWeight = QStringLiteral("status:") + DispensingCheck::wrongWeightText();
        fixture.window.onLog = [&](const QString& entry) {
            if (entry == wrongWeight && fixture.window.log.count(wrongWeight) == 2)
                fixture.window.reading = {balance::ReadingState::Stable, 100000, "g"};
        };
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.state(1), QVariant(dispensed));
        QCOMPARE(fixture.window.log.first(), expectation);
        QCOMPARE(fixture.window.log.count(wrongWeight), warned ? 2 : 0);
        QCOMPARE(fixture.messages.beeps(), warned ? 1 : 0);
        QCOMPARE(fixture.window.log.mid(fixture.window.log.size() - 2),
                 QStringList({"status:", "completed"}));

        fixture.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = NULL"));
        fixture.openOrder();
        fixture.check.setSettings({.weightCheck = true, .weightWaitSeconds = 60});
        fixture.window.reading = {balance::ReadingState::Stable, 120000, "g"};
        fixture.window.log.clear();
        fixture.window.onLog = [&](const QString& entry) {
            if (entry.startsWith(QStringLiteral("weight:")) && fixture.window.log.size() > 5)
                fixture.window.tags.clear();
        };
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QVERIFY(fixture.state(1).isNull());
        QVERIFY(!fixture.window.log.contains(wrongWeight));
    }

    // Two weighed lines of 10 g each. The balance answered 10 g before line 1's container was
    // laid, then 12 g: only a reading asked for after the container came counts. Line 2 is not
    // stored on the 10 g that stored line 1, unchanged, until the pan has shown something else.
    void weighedLineNeedsAFreshReadingAndAFreshLoad() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.database.exec(QStringLiteral("UPDATE 領藥明細 SET 數量 = 4"));
        fixture.openOrder();
        fixture.check.setSettings({.weightCheck = true, .weightWaitSeconds = 60});
        fixture.window.drug.unitGrams = 2.5;
        const balance::BalanceReading tenGrams{balance::ReadingState::Stable, 100000, "g"};
        const balance::BalanceReading twelveGrams{balance::ReadingState::Stable, 120000, "g"};
        auto& stamps = fixture.window.stamps;
        fixture.window.freshReplies = false;
        fixture.window.reading = tenGrams;
        stamps.requestSent();
        stamps.answered(tenGrams);
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        const QString clearThePan = QStringLiteral("status:") + DispensingCheck::clearThePanText();
        QVariantList storedWhen;
        int looks = 0;
        fixture.window.onLog = [&](const QString& entry) {
            if (entry == QStringLiteral("cleared"))
                fixture.window.tags = QStringList{QStringLiteral("E002")};
            if (!entry.startsWith(QStringLiteral("weight:")) && entry != clearThePan)
                return;
            storedWhen << fixture.state(1).isNull() << fixture.state(2).isNull();
            switch (++looks) {
            case 3: // the balance answers after the container came, with too much
                fixture.window.reading = twelveGrams;
                stamps.requestSent();
                stamps.answered(twelveGrams);
                break;
            case 6: // and then with the count right
                fixture.window.reading = tenGrams;
                fixture.window.freshReplies = true;
                break;
            default: // the pan emptied between two looks, and the next count laid
                if (entry == clearThePan) {
                    stamps.requestSent();
                    stamps.answered({balance::ReadingState::Stable, 0, "g"});
                }
            }
        };
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.state(1), QVariant(dispensed));
        QCOMPARE(fixture.state(2), QVariant(dispensed));
        // Nothing stored on the stale nor the 12 g reading; line 2 only after the pan changed.
        QCOMPARE(storedWhen.mid(0, 12), QVariantList(12, true));
        QCOMPARE(fixture.window.log.count(clearThePan), 1);
    }

    // An expired container warns as a wrong one does and is never stored; a date of today is
    // still good.
    void expiredContainerIsNeverStored() {
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.openOrder();
        fixture.window.drug.expiry = QDate::currentDate().addDays(-1);
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        QVERIFY(fixture.runUntilLogged(3));
        QCOMPARE(fixture.window.log,
                 QStringList(3, QStringLiteral("status:") + DispensingCheck::expiredText()));
        QCOMPARE(fixture.messages.beeps(), 3);
        QVERIFY(fixture.state(1).isNull());

        fixture.window.drug.expiry = QDate::currentDate();
        fixture.window.log.clear();
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.log, QStringList({"status:", "weight:克", "completed"}));
    }

    void linesStoredBeforeCountTowardsCompletion() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = ? WHERE 項次 = 1"),
                              {dispensed});
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E002")};
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.log, QStringList({warning, "status:", "weight:克", "completed"}));
    }

    void emptyTagListEndsTheRunAfterTheIdleBudget() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.check.setIdleBudget(25);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.emptyPolls, 25);
        // Each poll waited for the tag list instead of spinning.
        QVERIFY2(timer.elapsed() >= 25 * DispensingCheck::defaultTagWaitMs * 9 / 10,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(fixture.window.log.isEmpty());
        QVERIFY(fixture.state(1).isNull());
    }

    // Two empty polls, one pass over a wrong tag, then empty again: ten empty polls in all.
    void idleBudgetIsNotRestoredByATag() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.check.setIdleBudget(10);
        bool shown = false;
        fixture.window.beforeTagRead = [&] {
            if (fixture.window.emptyPolls == 2 && !shown) {
                fixture.window.tags = QStringList{QStringLiteral("E999")};
                shown = true;
            }
        };
        fixture.window.onLog = [&](const QString&) { fixture.window.tags.clear(); };
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QCOMPARE(fixture.window.log, QStringList{warning});
        QCOMPARE(fixture.window.emptyPolls, 10);
    }

    // A change of the tag list ends a poll's wait at once: here the wait would outlast the
    // deadline that ends the run.
    void tagListChangeEndsTheWait() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.check.setTagWaitMs(30000);
        QTimer::singleShot(0, [&] {
            fixture.window.tags = QStringList{QStringLiteral("E999")};
            fixture.check.tagListChanged();
        });
        fixture.window.onLog = [&](const QString&) {
            QTimer::singleShot(0, [&] { fixture.check.tagListChanged(); });
        };
        const QDeadlineTimer deadline(20000);
        QVERIFY(fixture.check.CheckDispensing(
            [&] { return !fixture.window.log.isEmpty() || deadline.hasExpired(); }));
        QVERIFY(!deadline.hasExpired());
        QCOMPARE(fixture.window.log, QStringList{warning});
    }

    void orderWithoutLinesEndsAtOnce() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder(QStringLiteral("9"));
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        QVERIFY(fixture.check.CheckDispensing(giveUpLater()));
        QVERIFY(fixture.window.log.isEmpty());
        QCOMPARE(fixture.window.emptyPolls, 0);
    }

    // Another station stores the line while it shows "配藥中": nothing is overwritten, the run
    // ends with the error, and the next run may start.
    void lineChangedByAnotherUserEndsTheRun() {
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        fixture.window.onLog = [&](const QString& entry) {
            if (entry.startsWith(QStringLiteral("weight:")))
                fixture.database.exec(QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = '別人'"));
        };
        const QString error = errorOf([&] { fixture.check.CheckDispensing(giveUpLater()); });
        QVERIFY2(error.startsWith(QStringLiteral("ADOQuery1: Row cannot be located for updating")),
                 qPrintable(error));
        QCOMPARE(fixture.state(1), QVariant(QStringLiteral("別人")));
        QCOMPARE(fixture.query.State(), db::TADOQuery::DataSetState::Browse);
        QVERIFY(!fixture.window.log.contains(QStringLiteral("completed")));
        QVERIFY(fixture.check.CheckDispensing([] { return true; }));
    }

    void failedDispensingLeavesNoEditOpen() {
        CheckFixture fixture;
        fixture.addOneLineOrder();
        fixture.openOrder();
        fixture.query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(true);
        fixture.window.tags = QStringList{QStringLiteral("E001")};
        QCOMPARE(errorOf([&] { fixture.check.CheckDispensing(giveUpLater()); }),
                 QStringLiteral("ADOQuery1: Field '配藥情況' cannot be modified"));
        QCOMPARE(fixture.query.State(), db::TADOQuery::DataSetState::Browse);
    }

    void runStartedInsideARunIsRefused() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E999")};
        QList<bool> nested;
        fixture.window.onLog = [&](const QString&) {
            nested << fixture.check.CheckDispensing(giveUpLater());
        };
        QVERIFY(fixture.runUntilLogged(2));
        QCOMPARE(nested, QList<bool>({false, false}));
        QCOMPARE(fixture.window.log, QStringList({warning, warning}));
        QCOMPARE(fixture.window.lineRequests, 1 + 2);
    }

    // A run that never runs out of tags still ends when the application is told to quit.
    void quitEndsTheRun() {
        CheckFixture fixture;
        fixture.database.addSampleOrder();
        fixture.openOrder();
        fixture.window.tags = QStringList{QStringLiteral("E999")};
        fixture.window.onLog = [&](const QString&) {
            if (fixture.window.log.size() == 3)
                QCoreApplication::exit(0);
        };
        const QDeadlineTimer deadline(20000);
        bool ran = false;
        QTimer::singleShot(
            0, [&] { ran = fixture.check.CheckDispensing([&] { return deadline.hasExpired(); }); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(ran);
        QVERIFY(!deadline.hasExpired());
        QCOMPARE(fixture.window.log.size(), 3);
    }
};

QTEST_MAIN(TestDispensingCheck)
#include "test_dispensingcheck.moc"
