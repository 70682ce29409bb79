#pragma once

#include "WorkerThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class PortReturn;
class TZQKRT_TableArray;

// The inventory thread: pass after pass, an RF reset and an Inventory through a working copy of
// the transponder table, whose outcome then replaces the shared table under tableGuard, and the
// list update handed to the UI thread. The guard is held only for that replacement, never while
// the reader is asked or the UI thread awaited, so a UI step that reads the table never waits
// for a reader. A failed pass pauses, so that a missing reader does not keep a core busy. When
// the port itself failed, the thread has the port opened again (PortReturn) until it works,
// and tells the UI thread once when the reader went and once when it is back.
class TReadTagsThread final : public platform::WorkerThread {
    Q_OBJECT

public:
    // Runs on the UI thread with the number of transponders the pass's reply announced; the
    // table holds those it could decode, which may be fewer.
    using ListUpdate = std::function<void(std::int32_t tagCount)>;
    // Runs on the UI thread: true when the reader's port failed, false when it works again.
    using ReaderAway = std::function<void(bool away)>;

    static constexpr std::chrono::milliseconds failurePause{100};

    // portReturn may be null: a failed port then stays failed.
    TReadTagsThread(TZQKRT_TableArray& table, std::mutex& tableGuard, std::atomic<bool>& running,
                    ListUpdate update, PortReturn* portReturn = nullptr,
                    ReaderAway readerAway = {});
    ~TReadTagsThread() override;

    // Asks the body to end; a pause after a failed pass ends at once.
    void Stop();

protected:
    void Execute() override;

private:
    // One pass over working, which then replaces Table; the reader's status, ZQKRT_STATUS_OK when
    // it worked.
    std::int32_t Pass(TZQKRT_TableArray& working);
    void FollowPort(std::int32_t status);
    void PauseAfterFailure();

    std::int32_t TagCount = 0;
    TZQKRT_TableArray& Table;
    std::mutex& tableGuard_;
    std::atomic<bool>& running_;
    ListUpdate update_;
    PortReturn* portReturn_;
    ReaderAway readerAway_;
    bool away_ = false;
    std::mutex pauseMutex_;
    std::condition_variable pauseEnd_;
};
