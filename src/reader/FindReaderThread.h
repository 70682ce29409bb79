#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "WorkerThread.h"
#include "ZQKRT_TableArray.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Where the search shows its steps; each runs on the UI thread.
struct FindReaderView {
    std::function<void(const QString& summary)> Searching;
    std::function<void(const QString& summary)> Found;
    std::function<void()> NotFound;
};

// Asks the reader in handles.ReaderHandle on ports 1 to 4, each frame and each rate until it
// answers the baud query, then on the PC/SC readers on ports 5 to 8, and leaves the port where it
// answered open in handles.PortHandle, which it writes from its own thread while it runs. Made
// suspended: the owner starts it. It ends by itself after its last step and does not free itself.
// handles must outlive it.
class TFindReaderThread final : public platform::WorkerThread {
    Q_OBJECT

public:
    TFindReaderThread(ReaderLibraryCalls library, FindReaderView view, ReaderHandles& handles);
    // The body uses this class's members, so it must end before they go.
    ~TFindReaderThread() override;

    // The status of the last library call the search recorded.
    std::int32_t GetLastStatus() const { return LastStatus; }

protected:
    void Execute() override;

private:
    enum class CardReaderStep { Over, Next, NoService };

    // False when the search is over, whether found, cancelled or failed.
    bool SearchPort(const char* portNr);
    CardReaderStep SearchCardReader(const char* portNr);
    void CloseTestPort();
    std::string PortPara(const char* name) const;
    QString Summary(const std::string& timeOut, const std::string& timeControl,
                    const std::string& delay) const;
    void ShowSearchProgress();
    void ShowReaderFound();
    void ShowNoReader();

    ReaderLibraryCalls Library;
    FindReaderView View;
    ReaderHandles& Handles;
    std::atomic<std::int32_t> LastStatus{0};
    // Read by the show steps on the UI thread.
    std::atomic<std::int32_t> TestPort{0};
    TZQKRT_TableArray Table;
};
