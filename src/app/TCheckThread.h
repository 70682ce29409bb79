#pragma once

#include "WorkerThread.h"

class DispensingCheck;

// A checking thread: hands the dispensing check to the UI thread again and again, until it is
// asked to end or a run raises an error. It starts at once. It does not free itself: an object
// deleted on the UI thread while WorkerThread::WaitFor serves events for it would be waited on
// after its end, so its owner deletes it once it has finished.
class TCheckThread final : public platform::WorkerThread {
    Q_OBJECT

public:
    explicit TCheckThread(DispensingCheck& check);
    // The body runs in this class, so it must have ended before this class's part goes; the
    // base's own wait would come too late.
    ~TCheckThread() override;

protected:
    void Execute() override;

private:
    DispensingCheck& check_;
};
