#include "WorkerThread.h"

#include "ErrorGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <set>

namespace platform {
namespace {

std::mutex registryMutex;
std::set<WorkerThread*> liveWorkers;

bool onUiThread() {
    return QCoreApplication::instance() == nullptr ||
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// A step handed to the UI thread and what became of it. The hand-off runs through a mutex and a
// condition variable of our own rather than a blocking queued call, so that race checkers see
// it: Qt's own locks are invisible to them.
struct HandedStep {
    const std::function<void()>& step;
    std::exception_ptr error;
    bool done = false;
};

std::mutex handOffMutex;
std::condition_variable handOffDone;
std::deque<HandedStep*> pendingSteps;

// Lives on the UI thread and runs one pending step for each event posted to it.
class StepRunner : public QObject {
public:
    StepRunner() { moveToThread(QCoreApplication::instance()->thread()); }

protected:
    void customEvent(QEvent*) override {
        HandedStep* handed = nullptr;
        {
            std::lock_guard lock(handOffMutex);
            if (pendingSteps.empty()) {
                return;
            }
            handed = pendingSteps.front();
            pendingSteps.pop_front();
        }
        std::exception_ptr error;
        try {
            handed->step();
        } catch (...) {
            error = std::current_exception();
            showError(error);
        }
        std::lock_guard lock(handOffMutex);
        handed->error = error;
        handed->done = true;
        // Under the lock: the waiting worker's stack holds the step and may unwind at once.
        handOffDone.notify_all();
    }
};

// Never deleted: workers may hand over steps until the very end of the program.
StepRunner& stepRunner() {
    static StepRunner* const runner = new StepRunner;
    return *runner;
}

} // namespace

WorkerThread::WorkerThread(QObject* parent) : QThread(parent) {
    std::lock_guard lock(registryMutex);
    liveWorkers.insert(this);
}

WorkerThread::~WorkerThread() {
    {
        std::lock_guard lock(registryMutex);
        liveWorkers.erase(this);
    }
    if (isRunning()) {
        Terminate();
        WaitFor();
    } else {
        takeOverFromBody();
    }
}

void WorkerThread::Synchronize(const std::function<void()>& step) {
    if (onUiThread()) {
        step();
        return;
    }
    HandedStep handed{step, {}, false};
    {
        std::lock_guard lock(handOffMutex);
        pendingSteps.push_back(&handed);
    }
    QCoreApplication::postEvent(&stepRunner(), new QEvent(QEvent::User));
    std::unique_lock lock(handOffMutex);
    handOffDone.wait(lock, [&handed] { return handed.done; });
    if (handed.error) {
        std::rethrow_exception(handed.error);
    }
}

void WorkerThread::setFreeOnTerminate(bool free) {
    if (free && !freeOnTerminate_) {
        connect(this, &QThread::finished, this, &QObject::deleteLater);
    }
    freeOnTerminate_ = free;
}

void WorkerThread::WaitFor() {
    if (!onUiThread()) {
        wait();
        takeOverFromBody();
        return;
    }
    // A thread that frees itself can be deleted by the events served below.
    const QPointer<WorkerThread> self(this);
    // Events are served directly, not by a nested loop: once the application's exit is pending
    // a nested loop returns at once, and a bare wait would then hang against a Synchronize. The
    // poll wakes the wait, as the finished signal comes just before the thread counts as ended.
    QTimer poll;
    poll.start(20);
    while (self && isRunning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        QEventLoop::ExcludeUserInputEvents);
    }
    if (self) {
        wait();
        takeOverFromBody();
    }
}

void WorkerThread::takeOverFromBody() const {
    // Pairs with the store at the end of run(): Qt's own join is invisible to race checkers.
    bodyEnded_.load(std::memory_order_acquire);
}

void WorkerThread::stopAll() {
    QList<QPointer<WorkerThread>> workers;
    {
        std::lock_guard lock(registryMutex);
        for (WorkerThread* worker : liveWorkers) {
            worker->Terminate();
            workers.append(worker);
        }
    }
    for (const QPointer<WorkerThread>& worker : workers) {
        if (worker) {
            worker->WaitFor();
        }
    }
}

void WorkerThread::run() {
    try {
        Execute();
    } catch (...) {
        // A worker's error ends that worker only; a handed-over step's error was shown already.
        failed_ = true;
    }
    bodyEnded_.store(true, std::memory_order_release);
}

} // namespace platform
