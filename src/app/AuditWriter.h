#pragma once

#include "DatabaseLocation.h"
#include "TADOConnection.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Writes the audit rows of the events that are not a store, on a thread of its own with a
// connection of its own, so that a slow or failing database never holds up dispensing. Each write
// is bounded by the location's statement time-out. A failed write (or a row dropped because the
// queue is full) is told to `failed`, on the writer's or the posting thread, once: again only
// after a write has succeeded in between. The rows of a failed write are not tried again.
class AuditWriter {
public:
    static constexpr std::size_t maxQueued = 1000;

    AuditWriter(const db::DatabaseLocation& location, std::function<void(const QString&)> failed,
                std::chrono::milliseconds shutdownWait = std::chrono::seconds(3));
    // Waits up to shutdownWait for the queued rows, and for the write under way; what is left
    // then is dropped.
    ~AuditWriter();
    AuditWriter(const AuditWriter&) = delete;
    AuditWriter& operator=(const AuditWriter&) = delete;

    // Queues the row and returns at once.
    void post(db::RowInsert row);

private:
    void run(const db::DatabaseLocation& location);
    void report(bool written, const QString& error);

    std::function<void(const QString&)> failed_;
    const std::chrono::milliseconds shutdownWait_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<db::RowInsert> queue_;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point stopBy_;
    // Under mutex_: a failure was reported and no write has succeeded since.
    bool reported_ = false;
    std::thread thread_;
};
