#include "WorkerThread.h"

#include "ErrorGuard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
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
    }
}

void WorkerThread::Synchronize(const std::function<void()>& step) {
    if (onUiThread()) {
        step();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&step, &error] {
            try {
                step();
            } catch (...) {
                error = std::current_exception();
                showError(error);
            }
        },
        Qt::BlockingQueuedConnection);
    if (error) {
        std::rethrow_exception(error);
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
    }
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
}

} // namespace platform
