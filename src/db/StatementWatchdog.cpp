#include "StatementWatchdog.h"

#include <sys/socket.h>

namespace db {

StatementWatchdog::StatementWatchdog() : thread_([this] { watch(); }) {}

StatementWatchdog::~StatementWatchdog() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    thread_.join();
}

void StatementWatchdog::arm(int socket, std::chrono::milliseconds bound) {
    {
        const std::lock_guard lock(mutex_);
        socket_ = socket;
        deadline_ = std::chrono::steady_clock::now() + bound;
        fired_ = false;
    }
    // A file's statements, one per row when a tool loads one, need not wake the watch.
    if (socket >= 0)
        changed_.notify_one();
}

bool StatementWatchdog::disarm() {
    const std::lock_guard lock(mutex_);
    socket_ = -1;
    return fired_;
}

void StatementWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (socket_ < 0) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && socket_ >= 0 &&
            std::chrono::steady_clock::now() >= deadline_) {
            // Shut, not closed: the descriptor stays the driver's, so it cannot be reused under it.
            ::shutdown(socket_, SHUT_RDWR);
            fired_ = true;
            socket_ = -1;
        }
    }
}

} // namespace db
