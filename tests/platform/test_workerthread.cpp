#include "MessageBoxes.h"
#include "WorkerThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <vector>

using platform::WorkerThread;

namespace {

// A worker whose body hands steps to the UI thread until it is asked to end.
class LoopingWorker : public WorkerThread {
public:
    ~LoopingWorker() override {
        Terminate();
        WaitFor();
    }
    std::atomic<int> handOffs{0};

protected:
    void Execute() override {
        while (!Terminated()) {
            Synchronize([this] { ++handOffs; });
        }
    }
};

// A worker that hands over a fixed number of steps and ends.
class CountedWorker : public WorkerThread {
public:
    ~CountedWorker() override { WaitFor(); }
    std::function<void(int)> step = [](int) {};
    std::atomic<int> handOffs{0};

protected:
    void Execute() override {
        for (int i = 0; i < 5; ++i) {
            Synchronize([this, i] { step(i); });
            ++handOffs;
        }
    }
};

// An exit requested outside any event loop stays pending; exec clears it again.
void clearPendingExit() {
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

class OneStepWorker : public WorkerThread {
public:
    ~OneStepWorker() override { WaitFor(); }
    std::function<void()> body;

protected:
    void Execute() override { body(); }
};

} // namespace

class TestWorkerThread : public QObject {
    Q_OBJECT

private slots:
    void synchronizeRunsOnUiThreadAndWaits() {
        OneStepWorker worker;
        QThread* stepThread = nullptr;
        bool stepDoneBeforeReturn = false;
        bool stepDone = false;
        worker.body = [&] {
            WorkerThread::Synchronize([&] {
                stepThread = QThread::currentThread();
                stepDone = true;
            });
            stepDoneBeforeReturn = stepDone;
        };
        worker.start();
        worker.WaitFor();
        QCOMPARE(stepThread, QCoreApplication::instance()->thread());
        QVERIFY(stepDoneBeforeReturn);
    }

    void synchronizeOnUiThreadRunsAtOnce() {
        bool ran = false;
        WorkerThread::Synchronize([&] { ran = true; });
        QVERIFY(ran);
    }

    void errorOfAStepReachesTheUserAndTheWorker() {
        platform::MessageRecorder recorder;
        OneStepWorker worker;
        QString caught;
        worker.body = [&] {
            try {
                WorkerThread::Synchronize([] { throw std::runtime_error("field missing"); });
            } catch (const std::runtime_error& error) {
                caught = QString::fromUtf8(error.what());
            }
        };
        worker.start();
        worker.WaitFor();
        QCOMPARE(caught, QStringLiteral("field missing"));
        QCOMPARE(recorder.messages().size(), 1);
        QCOMPARE(recorder.messages().first().text, QStringLiteral("field missing"));
        QCOMPARE(recorder.messages().first().icon, platform::MessageIcon::Error);
    }

    void errorLeavingTheBodyMarksTheWorkerFailed() {
        platform::MessageRecorder recorder;
        OneStepWorker worker;
        worker.body = [] { WorkerThread::Synchronize([] { throw std::runtime_error("locked"); }); };
        worker.start();
        worker.WaitFor();
        QVERIFY(worker.Failed());
        QCOMPARE(recorder.messages().size(), 1);
    }

    // A pending exit makes nested loops return at once; the wait must still serve every step.
    void waitForServesHandOffsWhileExitIsPending_data() {
        QTest::addColumn<bool>("exitBeforeWait");
        QTest::newRow("exit requested before the wait") << true;
        QTest::newRow("exit arriving during the wait") << false;
    }
    void waitForServesHandOffsWhileExitIsPending() {
        QFETCH(bool, exitBeforeWait);
        CountedWorker worker;
        worker.step = [exitBeforeWait](int i) {
            if (!exitBeforeWait && i == 1)
                QCoreApplication::exit(0);
        };
        if (exitBeforeWait)
            QCoreApplication::exit(0);
        worker.start();
        worker.WaitFor();
        clearPendingExit();
        QVERIFY(worker.isFinished());
        QCOMPARE(worker.handOffs.load(), 5);
    }

    // Waiting on the UI thread must keep serving the worker's hand-offs, or both would hang.
    void waitForServesHandOffs() {
        LoopingWorker worker;
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(worker.handOffs > 3, 10000);
        worker.Terminate();
        worker.WaitFor();
        QVERIFY(worker.isFinished());
        QVERIFY(worker.Terminated());
    }

    void freeOnTerminateDeletesTheObject() {
        QPointer<LoopingWorker> worker = new LoopingWorker;
        worker->setFreeOnTerminate(true);
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(worker->handOffs > 0, 10000);
        worker->Terminate();
        QTRY_VERIFY_WITH_TIMEOUT(worker.isNull(), 10000);
    }

    void stopAllEndsEveryWorker() {
        std::vector<std::unique_ptr<LoopingWorker>> workers;
        for (int i = 0; i < 4; ++i) {
            workers.push_back(std::make_unique<LoopingWorker>());
            workers.back()->start();
        }
        QPointer<LoopingWorker> selfFreeing = new LoopingWorker;
        selfFreeing->setFreeOnTerminate(true);
        selfFreeing->start();
        for (const auto& worker : workers) {
            QTRY_VERIFY_WITH_TIMEOUT(worker->handOffs > 0, 10000);
        }
        WorkerThread::stopAll();
        for (const auto& worker : workers) {
            QVERIFY(worker->isFinished());
        }
        QTRY_VERIFY_WITH_TIMEOUT(selfFreeing.isNull(), 10000);
    }

    void destroyingARunningWorkerStopsIt() {
        auto worker = std::make_unique<LoopingWorker>();
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(worker->handOffs > 0, 10000);
        worker.reset();
        QVERIFY(!worker);
    }
};

QTEST_GUILESS_MAIN(TestWorkerThread)
#include "test_workerthread.moc"
