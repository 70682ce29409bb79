#include "DispensingCheck.h"
#include "FakeDispensingWindow.h"
#include "MessageBoxes.h"
#include "OrderStatements.h"
#include "TADOQuery.h"
#include "TCheckThread.h"
#include "TestDatabase.h"

#include <QTest>

namespace {

// No tag is ever listed, so every run moves to the first line ("R") and then polls the empty
// tag list ("T") until its idle budget is used up.
struct CheckFixture {
    explicit CheckFixture(int idleBudget) {
        database.addSampleOrder();
        query.SQL =
            db::orderLinesStatement(QStringLiteral("1"), QString::fromLatin1(TestDatabase::day));
        query.Open();
        check.setIdleBudget(idleBudget);
        window.beforeTagRead = [this] { calls += u'T'; };
        QObject::connect(&query, &db::TADOQuery::afterScroll, [this] { calls += u'R'; });
    }
    int runs() const { return static_cast<int>(calls.count(u'R')); }

    TestDatabase database;
    db::TADOConnection connection;
    db::TADOQuery query{connection};
    FakeDispensingWindow window{query};
    DispensingCheck check{window};
    QString calls;
};

} // namespace

class TestCheckThread : public QObject {
    Q_OBJECT

private slots:
    void handsRunsOverUntilTerminated() {
        CheckFixture fixture(3);
        TCheckThread thread(fixture.check);
        QTRY_VERIFY(fixture.runs() >= 3);
        thread.Terminate();
        QTRY_VERIFY(thread.isFinished());
    }

    // Two threads hand runs over at once; each run ends before the next starts, although a run
    // serves the UI thread's events, and with them the other thread's hand-offs, between polls.
    void runsOfSeveralThreadsAreNotNested() {
        const int polls = 20;
        CheckFixture fixture(polls);
        TCheckThread first(fixture.check);
        TCheckThread second(fixture.check);
        // Each poll waits for the tag list, so a run takes a while.
        QTRY_VERIFY_WITH_TIMEOUT(fixture.runs() >= 6, 30000);
        first.Terminate();
        second.Terminate();
        first.WaitFor();
        second.WaitFor();
        // The last run may have been cut short by the end.
        const QString whole = fixture.calls.left(fixture.calls.lastIndexOf(u'R'));
        const QString oneRun = u'R' + QString(polls, u'T');
        QCOMPARE(whole, oneRun.repeated(static_cast<int>(whole.size() / oneRun.size())));
    }

    // At exit a thread waiting to hand over a run is stopped without the run being made.
    void stopAllEndsThreadsWithoutAnotherRun() {
        CheckFixture fixture(1);
        TCheckThread thread(fixture.check);
        QTRY_VERIFY(fixture.runs() >= 1);
        // Time for the thread to offer its next run; without it the test holds but tests less.
        QThread::msleep(50);
        const int runsBefore = fixture.runs();
        platform::WorkerThread::stopAll();
        QVERIFY(thread.isFinished());
        QCOMPARE(fixture.runs(), runsBefore);
    }
};

QTEST_MAIN(TestCheckThread)
#include "test_tcheckthread.moc"
