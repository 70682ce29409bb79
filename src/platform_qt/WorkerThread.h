#pragma once

#include <QThread>
#include <atomic>
#include <functional>

namespace platform {

// Base of every worker thread: hands steps to the UI thread and waits for them, can be asked
// to end, and can free itself once it has ended.
class WorkerThread : public QThread {
    Q_OBJECT

public:
    explicit WorkerThread(QObject* parent = nullptr);
    // Stops a body still running, as a last resort: a derived class whose body uses its own
    // members must stop it in its own destructor (Terminate, then WaitFor), since by the time
    // this one runs those members are gone.
    ~WorkerThread() override;

    // Runs step on the UI thread and returns when it has run; on the UI thread it runs at once.
    // An error the step raises is shown to the user, then raised again here, in the calling
    // thread.
    static void Synchronize(const std::function<void()>& step);

    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // The body ended on an error.
    bool Failed() const { return failed_; }

    // The object deletes itself, on the UI thread, once its body has ended.
    void setFreeOnTerminate(bool free);

    // Waits on the UI thread until the body has ended, serving the thread's hand-offs meanwhile
    // (a bare wait would deadlock against a Synchronize). A thread that frees itself may be gone
    // when this returns.
    void WaitFor();

    // Asks every live worker to end and waits for each; for application exit.
    static void stopAll();

protected:
    virtual void Execute() = 0;

private:
    void run() final;
    // Makes everything the ended body did visible to the waiting thread.
    void takeOverFromBody() const;

    std::atomic<bool> terminated_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> bodyEnded_{false};
    bool freeOnTerminate_ = false;
};

} // namespace platform
