#pragma once

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

    // Characters 5 to 12 of the balance's reply to the last finished tick; empty without a port.
    QString WeightText() const override { return weightText_; }
    bool portOpen() const { return port_.isOpen(); }

public slots:
    void btnOpenPortClick();
    void btnSendClick();
    void btnEndClick();
    void SpinEdit1Change();
    void ComboBox1Change();
    void Timer1Timer();

private:
    void OpenTerminalPort();
    void ClosePort();
    void FinishTick();
    void receive();

    std::unique_ptr<Ui::TForm1> ui;
    QTimer* Timer1;
    // The second half of a tick, one second after the request, so the windows keep running.
    QTimer* replyWait_;
    platform::SerialPort port_;
    // The bytes of the current tick's reply as received, one character each.
    QByteArray reply_;
    QString weightText_;
};
