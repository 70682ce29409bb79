#include "ErrorGuard.h"
#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QTest>

using namespace platform;

// A control's signal, with an argument a handler may take.
class Sender : public QObject {
    Q_OBJECT

signals:
    void fired(int value);
};

// A window's handlers: one takes the signal's argument and fails on a negative one, one takes
// none.
class Handlers : public QObject {
public:
    void take(int value) {
        if (value < 0)
            throw AppError(QStringLiteral("negative"));
        taken << value;
    }
    void count() { ++counted; }

    QList<int> taken;
    int counted = 0;
};

class TestErrorGuard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("藥師配藥系統")); }

    void errorIsShownAndTheRestSkipped() {
        MessageRecorder recorder;
        bool restRan = false;
        const bool ok = runGuarded([&] {
            throw AppError(QStringLiteral("ADOQuery1: Field 'SerialNumber' not found"));
            restRan = true;
        });
        QVERIFY(!ok);
        QVERIFY(!restRan);
        QCOMPARE(recorder.messages().size(), 1);
        const Message& shown = recorder.messages().first();
        QCOMPARE(shown.text, QStringLiteral("ADOQuery1: Field 'SerialNumber' not found"));
        QCOMPARE(shown.caption, QStringLiteral("藥師配藥系統"));
        QCOMPARE(shown.icon, MessageIcon::Error);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
    }

    void applicationGoesOnAfterAnError() {
        MessageRecorder recorder;
        runGuarded([] { throw std::runtime_error("first"); });
        bool secondRan = false;
        QVERIFY(runGuarded([&] { secondRan = true; }));
        QVERIFY(secondRan);
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages().first().text, QStringLiteral("first"));
    }

    void anythingThrownIsReported() {
        MessageRecorder recorder;
        QVERIFY(!runGuarded([] { throw 42; }));
        QCOMPARE(recorder.messages().size(), 1);
        QVERIFY(!recorder.messages().first().text.isEmpty());
    }

    // Connected as a window connects its handlers: the error is shown, the other handlers of the
    // signal and later signals still run.
    void guardedSlotShowsTheErrorAndGoesOn() {
        MessageRecorder recorder;
        Sender sender;
        Handlers handlers;
        QObject::connect(&sender, &Sender::fired, &handlers,
                         guardedSlot(&handlers, &Handlers::take));
        QObject::connect(&sender, &Sender::fired, &handlers,
                         guardedSlot(&handlers, &Handlers::count));
        emit sender.fired(-1);
        emit sender.fired(7);
        QCOMPARE(handlers.taken, QList<int>{7});
        QCOMPARE(handlers.counted, 2);
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages().first().text, QStringLiteral("negative"));
        QCOMPARE(recorder.messages().first().icon, MessageIcon::Error);
    }

    void recorderAnswersAndCountsBeeps() {
        MessageRecorder recorder;
        recorder.setAnswer(MessageAnswer::Cancel);
        QCOMPARE(showMessage("Reader not found", "Information", MessageIcon::Information,
                             MessageButtons::OkCancel),
                 MessageAnswer::Cancel);
        beep();
        beep();
        QCOMPARE(recorder.beeps(), 2);
        QCOMPARE(recorder.messages().first().caption, QStringLiteral("Information"));
        recorder.clear();
        QVERIFY(recorder.messages().isEmpty());
        QCOMPARE(recorder.beeps(), 0);
    }
};

QTEST_GUILESS_MAIN(TestErrorGuard)
#include "test_errorguard.moc"
