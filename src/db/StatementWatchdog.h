#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace db {

// Bounds a statement on a server that accepts the connection but never answers (its processes
// stopped, a network that drops packets silently): once the bound has passed, the watchdog shuts
// the connection's socket, so that the waiting driver call fails at once instead of waiting for
// the kernel to give up. One statement at a time; the socket stays the caller's to close.
class StatementWatchdog {
public:
    StatementWatchdog();
    ~StatementWatchdog();
    StatementWatchdog(const StatementWatchdog&) = delete;
    StatementWatchdog& operator=(const StatementWatchdog&) = delete;

    // Watches socket from now on for bound; a negative socket is not watched.
    void arm(int socket, std::chrono::milliseconds bound);
    // Ends the watch; true when the bound had passed and the socket was shut. Once this returns,
    // the watchdog no longer touches the socket.
    bool disarm();

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    int socket_ = -1;
    std::chrono::steady_clock::time_point deadline_{};
    bool fired_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace db
