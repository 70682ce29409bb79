#pragma once

#include "BalanceLink.h"
#include "BalanceReading.h"
#include "ReadingStamp.h"

#include <QString>
#include <string>

class QPlainTextEdit;
class TForm1;
class WeightReading;

// The main window's balance: the terminal window and its polling at each show, the polling link
// on the main window's buffer, and the reading the dispensing check weighs with. Used on the UI
// thread.
class StationBalance {
public:
    StationBalance(QPlainTextEdit* memoTemp, balance::LineReturn::Away away);

    // The terminal window, whose reading is then the one weighed with.
    void setWindow(TForm1& window);
    // Where the weight comes from, for a station without its terminal window.
    void setReading(const WeightReading* reading) { reading_ = reading; }

    // Read at every show, so a changed set-up holds from the next show on.
    void startAtShow(const std::string& iniPath);
    void showWindow();

    const BalanceLink& link() const { return link_; }
    // Empty, NotAReading and an unstamped reading until the balance answered.
    QString text() const;
    bool textNamesUnit() const;
    balance::BalanceReading reading() const;
    balance::ReadingStamp stamp() const;

private:
    TForm1* window_ = nullptr;
    const WeightReading* reading_ = nullptr;
    BalanceLink link_;
};
