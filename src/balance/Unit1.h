#pragma once

#include "BalanceDialect.h"
#include "BalanceIni.h"
#include "LineReturn.h"
#include "SerialPort.h"
#include "WeightReading.h"

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <memory>

class QTimer;

namespace Ui {
class TForm1;
}

// Terminal window for the weighing balance: port choice, weight requests on a timer, the reply.
// Lives on the user-interface thread; the weight is read there too.
class TForm1 : public QWidget, public WeightReading {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Characters 5 to 12 of the last whole line of the balance's reply to the last finished tick,
    // after the minus sign of a negative reading; empty without a port.
    QString WeightText() const override { return weightText_; }
    bool WeightTextNamesUnit() const override { return dialect_->weightTextNamesUnit; }
    balance::BalanceReading Reading() const override { return reading_; }
    balance::ReadingStamp Stamp() const override { return stamps_.stamp(); }
    bool portOpen() const { return port_.isOpen(); }

    // The main window's show steps for this window, in their order: the timer is enabled, then
    // Start/Stop is pressed twice around ticking "Repeat", so the timer runs and the button
    // reads "Stop".
    void startRequestsAtShow();
    // At a show of the main window, unless a port is open: Port of the INI file (COM1 or COM2,
    // any case) and its Dialect are chosen, and with OpenAtShow the chosen port is opened. A Port
    // the window does not offer leaves the choice and, with OpenAtShow, opens nothing and shows the
    // open failure.
    void openPortAtShow(const balance::BalanceIni& ini);

public slots:
    void btnOpenPortClick();
    void btnSendClick();
    void btnEndClick();
    void SpinEdit1Change();
    void ComboBox1Change();
    void Timer1Timer();

private:
    // The window asks "Q" where the dialect knows it, else the dialect's own request.
    static std::string_view requestOf(const balance::BalanceDialect& dialect);
    void OpenTerminalPort();
    void ClosePort();
    void StartTick();
    void FinishTick();
    void forgetWeight();
    // Takes what waits on the port, following whether the balance's output stands at a line start.
    QByteArray take();
    void receive();

    // How the balance on the window's port speaks, and the request each tick sends it.
    const balance::BalanceDialect* dialect_ = &balance::kStationDialect;
    std::string_view request_ = requestOf(*dialect_);
    std::unique_ptr<Ui::TForm1> ui;
    QTimer* Timer1;
    // The second half of a tick, one second after the request, so the windows keep running.
    QTimer* replyWait_;
    platform::SerialPort port_;
    balance::LineReturn lineReturn_;
    // The bytes of the current tick's reply as received, one character each.
    QByteArray reply_;
    // The last byte taken from the port ended a line, or none was taken since the open.
    bool atLineStart_ = true;
    // Nothing of an unfinished line was left when the current tick's request went out.
    bool replyStartsLine_ = true;
    // A tick came while the reply was awaited.
    bool tickDue_ = false;
    QString weightText_;
    balance::BalanceReading reading_;
    balance::ReadingStamps stamps_;
};
