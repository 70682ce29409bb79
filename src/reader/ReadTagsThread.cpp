#include "ReadTagsThread.h"

#include "PortReturn.h"
#include "PubFunctions.h"
#include "ReaderCallStatus.h"
#include "ZQKRT_TableArray.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

using namespace table_selector;
constexpr std::size_t kCountChars = 2;

// Clears the running flag however the body ends.
class RunningMark {
public:
    explicit RunningMark(std::atomic<bool>& running) : running_(running) { running_ = true; }
    ~RunningMark() { running_ = false; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    std::atomic<bool>& running_;
};

} // namespace

TReadTagsThread::TReadTagsThread(TZQKRT_TableArray& table, std::mutex& tableGuard,
                                 std::atomic<bool>& running, ListUpdate update,
                                 PortReturn* portReturn, ReaderAway readerAway)
    : Table(table), tableGuard_(tableGuard), running_(running), update_(std::move(update)),
      portReturn_(portReturn), readerAway_(std::move(readerAway)) {}

TReadTagsThread::~TReadTagsThread() {
    Stop();
    WaitFor();
}

void TReadTagsThread::Stop() {
    Terminate();
    // Taken so that the notification cannot slip in between the pause's test and its wait.
    { const std::lock_guard lock(pauseMutex_); }
    pauseEnd_.notify_all();
}

void TReadTagsThread::Execute() {
    const RunningMark mark(running_);
    TagCount = 0;
    TZQKRT_TableArray working = [this] {
        const std::lock_guard lock(tableGuard_);
        return Table;
    }();
    while (!Terminated()) {
        const std::int32_t status = Pass(working);
        {
            const std::lock_guard lock(tableGuard_);
            Table = working;
        }
        FollowPort(status);
        if (status == ZQKRT_STATUS_OK) {
            Synchronize([this] { update_(TagCount); });
            continue;
        }
        Synchronize([] {});
        PauseAfterFailure();
    }
}

void TReadTagsThread::FollowPort(std::int32_t status) {
    if (portReturn_ == nullptr)
        return;
    const bool failed = PortReturn::portFailed(status);
    if (failed)
        portReturn_->tryAgain();
    else if (status == ZQKRT_STATUS_OK)
        portReturn_->forget();
    if (status != ZQKRT_STATUS_OK && !failed)
        return;
    if (failed != away_ && readerAway_) {
        away_ = failed;
        Synchronize([this] { readerAway_(away_); });
    }
}

std::int32_t TReadTagsThread::Pass(TZQKRT_TableArray& working) {
    working.RemoveAll();
    std::string reply;
    const std::int32_t reset = working.RunCommand(ZQKRT_COMMAND_RF_RESET, reply);
    if (reset != ZQKRT_STATUS_OK && reset != ZQKRT_STATUS_FIELD_SWITCHED_ON)
        return reset;
    working.SetValue(kCommandCode, "01");
    working.SetValue(kMode, "00");
    if (const std::int32_t status = working.RunCommand(ZQKRT_COMMAND_ISO, reply);
        readerCallFailed(status))
        return status;
    // The table keeps only the transponders the reply really holds.
    TagCount = std::max(HexPairToInt(reply.substr(0, kCountChars)), 0);
    for (std::int32_t i = 0; i < TagCount; ++i)
        working.Add();
    working.SetValue(kDecodeInventory, reply);
    return ZQKRT_STATUS_OK;
}

void TReadTagsThread::PauseAfterFailure() {
    std::unique_lock lock(pauseMutex_);
    pauseEnd_.wait_for(lock, failurePause, [this] { return Terminated(); });
}
