#include "Weight.h"

#include "BalanceSerial.h"
#include "LineReturn.h"
#include "MemoAppend.h"
#include "SerialPort.h"

#include <QString>

namespace {

// The body waits, off the UI thread, between the command and the read, for as long as the line
// takes to send the command and a reply line at the balance's rate (10 bits a character at most):
// so commands never queue up faster than the line sends them, a write always finds room in the
// driver and returns at once, and the UI thread only runs the two short steps.
constexpr unsigned long kBitsPerCharacter = 10;
constexpr unsigned long kReplyCharacters = 24;

unsigned long cycleMs(std::size_t commandCharacters) {
    return ((commandCharacters + kReplyCharacters) * kBitsPerCharacter * 1000 +
            balance::kBalanceBaud - 1) /
           balance::kBalanceBaud;
}

} // namespace

TReadThread::TReadThread(platform::SerialPort& balancePortHandle, balance::LineReturn& lineReturn,
                         QPlainTextEdit* memoTemp, const balance::BalanceDialect& dialect,
                         QObject* parent)
    : WorkerThread(parent), BalancePortHandle(balancePortHandle), lineReturn_(lineReturn),
      MemoTemp(memoTemp), request_(dialect.requests.front().bytes),
      cycleMs_(cycleMs(request_.size())) {}

TReadThread::~TReadThread() {
    // The body uses the port, which the base's destructor would no longer find alive; an ended
    // body is waited for too, so that its last steps are seen before the members go.
    Terminate();
    WaitFor();
}

void TReadThread::OpenBalancePort(const std::string& portName) {
    if (balance::openBalanceLine(BalancePortHandle, portName, platform::Parity::None)) {
        lineReturn_.opened(portName, platform::Parity::None);
    }
}

void TReadThread::SendPrintCommand() {
    if (!BalancePortHandle.isOpen() && !lineReturn_.tryAgain(BalancePortHandle)) {
        return;
    }
    if (BalancePortHandle.write(request_.data(), request_.size()) !=
        static_cast<long>(request_.size())) {
        lineReturn_.failed(BalancePortHandle);
    }
}

void TReadThread::ReadBalanceOutput() {
    if (!BalancePortHandle.isOpen()) {
        return;
    }
    const QByteArray bytes = balance::takeWaitingBytes(BalancePortHandle).text;
    if (!bytes.isEmpty() && MemoTemp) {
        appendKeepingNewest(*MemoTemp, QString::fromLatin1(bytes), kMemoLimit, kMemoLineLimit);
    }
}

void TReadThread::Execute() {
    while (!Terminated()) {
        Synchronize([this] { SendPrintCommand(); });
        msleep(cycleMs_);
        if (Terminated()) {
            return;
        }
        Synchronize([this] { ReadBalanceOutput(); });
    }
}
