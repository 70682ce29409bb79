#pragma once

#include "BalanceDialect.h"
#include "WorkerThread.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <string>
#include <string_view>

namespace platform {
class SerialPort;
}
namespace balance {
class LineReturn;
}

// The balance polling worker: its body hands the send step and the read step to the UI thread
// in turn, so the port and MemoTemp are only ever touched there.
class TReadThread : public platform::WorkerThread {
public:
    // The newest text MemoTemp keeps, and at most its newest lines: each line costs the document
    // some hundred bytes beside its characters.
    static constexpr int kMemoLimit = 1 << 20;
    static constexpr int kMemoLineLimit = 4096;

    // balancePortHandle is the link's port, shared with its other steps, and lineReturn brings
    // it back after a failure; both must outlive this worker. Each cycle sends the dialect's
    // first request.
    TReadThread(platform::SerialPort& balancePortHandle, balance::LineReturn& lineReturn,
                QPlainTextEdit* memoTemp,
                const balance::BalanceDialect& dialect = balance::kStationDialect,
                QObject* parent = nullptr);
    ~TReadThread() override;

    // Opens portName for the balance; failures are shown and leave the port closed.
    void OpenBalancePort(const std::string& portName);
    void SendPrintCommand();
    void ReadBalanceOutput();

protected:
    void Execute() override;

private:
    platform::SerialPort& BalancePortHandle;
    balance::LineReturn& lineReturn_;
    QPointer<QPlainTextEdit> MemoTemp;
    const std::string_view request_;
    const unsigned long cycleMs_;
};
