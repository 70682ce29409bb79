#pragma once

#include "WorkerThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class TZQKRT_TableArray;

// The inventory thread: pass after pass, an RF reset and an Inventory through the transponder
// table, and the list update handed to the UI thread. It holds tableGuard while it uses the
// table, never while it waits for the UI thread, so the list update and other UI steps may take
// it there. A failed pass pauses, so that a missing reader does not keep a core busy; after
// failing for failureSpan the list is emptied, so the station never shows a container it can no
// longer see.
class TReadTagsThread final : public platform::WorkerThread {
    Q_OBJECT

public:
    // Runs on the UI thread with the number of transponders the pass's reply announced; the
    // table holds those it could decode, which may be fewer.
    using ListUpdate = std::function<void(std::int32_t tagCount)>;

    static constexpr std::chrono::milliseconds failurePause{100};
    static constexpr std::chrono::milliseconds failureSpan{1000};

    TReadTagsThread(TZQKRT_TableArray& table, std::mutex& tableGuard, std::atomic<bool>& running,
                    ListUpdate update);
    ~TReadTagsThread() override;

    // Asks the body to end; a pause after a failed pass ends at once.
    void Stop();

protected:
    void Execute() override;

private:
    // One pass over the table; false when the reader failed.
    bool Pass();
    void PauseAfterFailure();

    std::int32_t TagCount = 0;
    TZQKRT_TableArray& Table;
    std::mutex& tableGuard_;
    std::atomic<bool>& running_;
    ListUpdate update_;
    std::mutex pauseMutex_;
    std::condition_variable pauseEnd_;
};
