#include "ErrorGuard.h"
#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QTest>

using namespace platform;

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
