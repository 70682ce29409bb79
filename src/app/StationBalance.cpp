#include "StationBalance.h"

#include "BalanceIni.h"
#include "ErrorGuard.h"
#include "Unit1.h"
#include "WeightReading.h"

#include <utility>

StationBalance::StationBalance(QPlainTextEdit* memoTemp, balance::LineReturn::Away away)
    : link_(memoTemp, std::move(away)) {}

void StationBalance::setWindow(TForm1& window) {
    window_ = &window;
    reading_ = &window;
}

void StationBalance::startAtShow(const std::string& iniPath) {
    const balance::BalanceIni ini = balance::BalanceIni::read(iniPath);
    if (window_ != nullptr) {
        // Each guarded on its own: an error in one is shown and the show steps go on.
        platform::runGuarded([this] { window_->startRequestsAtShow(); });
        platform::runGuarded([this, &ini] { window_->openPortAtShow(ini); });
    }
    link_.startAtShow(ini.pollPort, *ini.pollDialect);
}

void StationBalance::showWindow() {
    if (window_ == nullptr)
        return;
    window_->show();
    window_->raise();
}

QString StationBalance::text() const {
    return reading_ == nullptr ? QString() : reading_->WeightText();
}

bool StationBalance::textNamesUnit() const {
    return reading_ != nullptr && reading_->WeightTextNamesUnit();
}

balance::BalanceReading StationBalance::reading() const {
    return reading_ == nullptr ? balance::BalanceReading() : reading_->Reading();
}

balance::ReadingStamp StationBalance::stamp() const {
    return reading_ == nullptr ? balance::ReadingStamp() : reading_->Stamp();
}
