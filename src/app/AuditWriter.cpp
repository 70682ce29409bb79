#include "AuditWriter.h"

#include "ErrorText.h"

#include <exception>
#include <utility>

AuditWriter::AuditWriter(const db::DatabaseLocation& location,
                         std::function<void(const QString&)> failed,
                         std::chrono::milliseconds shutdownWait)
    : failed_(std::move(failed)), shutdownWait_(shutdownWait),
      thread_([this, location] { run(location); }) {}

AuditWriter::~AuditWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        stopBy_ = std::chrono::steady_clock::now() + shutdownWait_;
    }
    wake_.notify_all();
    // Bounded: every write ends within the statement time-out.
    thread_.join();
}

void AuditWriter::post(db::RowInsert row) {
    bool dropped = false;
    {
        const std::lock_guard lock(mutex_);
        if (queue_.size() >= maxQueued)
            dropped = true;
        else
            queue_.push_back(std::move(row));
    }
    if (dropped)
        report(false, QStringLiteral("more than %1 audit rows wait to be written").arg(maxQueued));
    else
        wake_.notify_one();
}

// The connection lives on this thread: a database connection belongs to the thread that made it.
void AuditWriter::run(const db::DatabaseLocation& location) {
    db::TADOConnection connection(location);
    for (;;) {
        db::RowInsert row;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty() || (stopping_ && std::chrono::steady_clock::now() >= stopBy_))
                return;
            row = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            connection.update({}, {row});
            report(true, {});
        } catch (...) {
            // Whatever it is, it must not end the station through this thread.
            report(false, platform::errorText(std::current_exception()));
        }
    }
}

void AuditWriter::report(bool written, const QString& error) {
    {
        const std::lock_guard lock(mutex_);
        const bool alreadyReported = std::exchange(reported_, !written);
        if (written || alreadyReported)
            return;
    }
    if (failed_)
        failed_(error);
}
