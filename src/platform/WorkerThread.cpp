#include "WorkerThread.h"

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
    if (isRunning()) {
        // The poll covers a finished signal sent just before the connection was made.
        QEventLoop loop;
        QTimer poll;
        connect(this, &QThread::finished, &loop, &QEventLoop::quit);
        connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
            if (!isRunning()) {
                loop.quit();
            }
        });
        poll.start(20);
        if (isRunning()) {
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
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
        // A worker's error ends that worker only; the UI thread reports what concerns the user.
    }
}

} // namespace platform
