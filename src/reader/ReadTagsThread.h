#pragma once

#include "WorkerThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class TZQKRT_TableArray;

// The inventory thread: pass after pass, an RF reset and an Inventory through a working copy of
// the transponder table, whose outcome then replaces the shared table under tableGuard, and the
// list update handed to the UI thread. The guard is held only for that replacement, never while
// the reader is asked or the UI thread awaited, so a UI step that reads the table never waits
// for a reader. A failed pass pauses, so that a missing reader does not keep a core busy.
class TReadTagsThread final : public platform::WorkerThread {
    Q_OBJECT

public:
    // Runs on the UI thread with the number of transponders the pass's reply announced; the
    // table holds those it could decode, which may be fewer.
    using ListUpdate = std::function<void(std::int32_t tagCount)>;

    static constexpr std::chrono::milliseconds failurePause{100};

    TReadTagsThread(TZQKRT_TableArray& table, std::mutex& tableGuard, std::atomic<bool>& running,
                    ListUpdate update);
    ~TReadTagsThread() override;

    // Asks the body to end; a pause after a failed pass ends at once.
    void Stop();

protected:
    void Execute() override;

private:
    // One pass over working, which then replaces Table; false when the reader failed.
    bool Pass(TZQKRT_TableArray& working);
    void PauseAfterFailure();

    std::int32_t TagCount = 0;
    TZQKRT_TableArray& Table;
    std::mutex& tableGuard_;
    std::atomic<bool>& running_;
    ListUpdate update_;
    std::mutex pauseMutex_;
    std::condition_variable pauseEnd_;
};
