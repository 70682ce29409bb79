#include "TCheckThread.h"

#include "DispensingCheck.h"

namespace {

// How long a thread whose run was turned away waits before offering it again, unless the run
// under way ends sooner.
constexpr unsigned long busyRetryMs = 100;

} // namespace

TCheckThread::TCheckThread(DispensingCheck& check) : check_(check) {
    start();
}

TCheckThread::~TCheckThread() {
    Terminate();
    WaitFor();
}

void TCheckThread::Execute() {
    while (!Terminated()) {
        bool ran = false;
        Synchronize([this, &ran] {
            ran = Terminated() || check_.CheckDispensing([this] { return Terminated(); });
        });
        if (!ran)
            check_.waitUntilIdle(busyRetryMs);
    }
}
