#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// One line of a dispense-worker's reports: its outcome ("stored", "conflict", "error",
// "unread") and the fields after it.
struct WorkerReport {
    QString outcome;
    QStringList fields;
};

// dispense-worker processes side by side, as stations sharing one database: each is started,
// lets the others know when it is about to store, and all are released together. The
// workers write their reports into files of their own, so none waits on a full pipe. Failures
// throw std::runtime_error; workers still running at the end are killed.
class DispenseWorkers {
public:
    // Starts one worker per argument list (its location, day and choices; --gate and --output are
    // added) and waits until each is at its gate.
    DispenseWorkers(const QList<QStringList>& arguments, int timeoutMs);
    ~DispenseWorkers();
    DispenseWorkers(const DispenseWorkers&) = delete;
    DispenseWorkers& operator=(const DispenseWorkers&) = delete;

    // Releases every worker at once and waits until all have ended well.
    void run(int timeoutMs);
    // Releases one worker started with --step for one store and waits until it is at its gate
    // again (true) or has ended well (false).
    bool step(qsizetype worker, int timeoutMs);
    // Releases one worker without waiting for it.
    void release(qsizetype worker);
    // Kills one worker (SIGKILL), wherever it is, and waits until it is gone.
    void kill(qsizetype worker, int timeoutMs);

    qsizetype size() const { return processes_.size(); }
    QList<WorkerReport> reports(qsizetype worker) const;

private:
    // Waits until the worker is at its gate (true) or has stopped running (false).
    bool waitAtGate(qsizetype worker, const QDeadlineTimer& deadline);
    void waitUntilEnded(qsizetype worker, const QDeadlineTimer& deadline);
    [[noreturn]] void fail(qsizetype worker, const QString& what) const;

    QTemporaryDir outputs_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};
