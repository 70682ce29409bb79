#pragma once

#include "BalanceIni.h"
#include "LineReturn.h"
#include "SerialPort.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <memory>
#include <string>

class TReadThread;

// Owns the balance port and the polling workers of the main window's shows; appends to memo.
// Used on the UI thread.
class BalanceLink : public QObject {
public:
    // away hears when the balance's port failed and when it was opened again.
    explicit BalanceLink(QPlainTextEdit* memoTemp, balance::LineReturn::Away away = {},
                         QObject* parent = nullptr);
    // Stops its worker and waits for it.
    ~BalanceLink() override;

    // The balance share of a show after the terminal window's steps: starts a polling worker
    // unless one polls already, then opens pollPort unless a port is open. A later show therefore
    // keeps an open port and its worker, and one more worker never doubles the command rate.
    // An empty pollPort starts nothing and opens nothing. A worker polls in the dialect it was
    // started with.
    void startAtShow(const std::string& pollPort = balance::kDefaultPollPort,
                     const balance::BalanceDialect& dialect = balance::kStationDialect);
    bool portOpen() const;
    int workerCount() const;

private:
    QPointer<QPlainTextEdit> memoTemp_;
    platform::SerialPort balancePortHandle_;
    balance::LineReturn lineReturn_;
    std::unique_ptr<TReadThread> worker_;
};
