#include "BalanceLink.h"

#include "Weight.h"

BalanceLink::BalanceLink(QPlainTextEdit* memoTemp, balance::LineReturn::Away away, QObject* parent)
    : QObject(parent), memoTemp_(memoTemp), lineReturn_(std::move(away)) {}

BalanceLink::~BalanceLink() {
    if (worker_) {
        worker_->Terminate();
        worker_->WaitFor();
    }
}

void BalanceLink::startAtShow(const std::string& pollPort, const balance::BalanceDialect& dialect) {
    if (pollPort.empty()) {
        return;
    }
    if (!worker_ || worker_->isFinished()) {
        worker_ =
            std::make_unique<TReadThread>(balancePortHandle_, lineReturn_, memoTemp_, dialect);
        worker_->start();
    }
    if (!balancePortHandle_.isOpen()) {
        worker_->OpenBalancePort(pollPort);
    }
}

bool BalanceLink::portOpen() const {
    return balancePortHandle_.isOpen();
}

int BalanceLink::workerCount() const {
    return worker_ && worker_->isRunning() ? 1 : 0;
}
