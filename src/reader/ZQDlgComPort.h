#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "ReaderPortHost.h"
#include "ReaderPortSteps.h"

#include <QDialog>
#include <array>
#include <memory>
#include <string>

class QRadioButton;

namespace Ui {
class TForm_ComPort;
}

// Dialog with which the reader's serial port is opened, closed and configured. The port it
// opens is kept in handles.PortHandle and bound to handles.ReaderHandle.
class TForm_ComPort : public QDialog {
    Q_OBJECT

public:
    // handles (the main window's) must outlive the dialog.
    explicit TForm_ComPort(ReaderHandles& handles, QWidget* parent = nullptr);
    ~TForm_ComPort() override;

    void setHost(ReaderPortHost* host); // not owned; the main window
    void setLibrary(ReaderLibraryCalls library);
    void EnablePortButtons(bool enabled);
    void ApplyPortSettings();

public slots:
    void Btn_OpenPortClick();
    void Btn_ClosePortClick();
    void Btn_GetPortParaClick();
    void Btn_SetPortParaClick();
    void Btn_BaudrateClick();
    void Btn_OKClick();
    void Chk_TimeControlClick();
    void Edt_TimeOutExit();
    void Edt_DelayTimeExit();
    // Any of COM1..COM4.
    void Rdo_ComClick();
    // The choice that shows a port other than COM1..COM4 (a PC/SC reader) while it is open.
    void Rdo_PcscClick();
    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The choices COM1..COM4, in the order of their port numbers.
    std::array<QRadioButton*, ZQCOM_LAST_SERIAL_PORT - ZQCOM_FIRST_SERIAL_PORT + 1>
    SerialPortChoices() const;
    // The number of the chosen COM port; COM1's when none is chosen.
    std::string ChosenSerialPort() const;
    void ShowSettings(const reader_port::PortSettings& settings);
    void ReadBack();
    void PortChosen(const std::string& number);
    // Checks the choice of the open port numbered number: one of COM1..COM4, or the fifth
    // choice, which is shown for any other port and hidden otherwise.
    void ShowOpenPort(const std::string& number);
    void SetRunEnabled(bool enabled);
    void SelectBaud(const std::string& rate);

    std::unique_ptr<Ui::TForm_ComPort> ui;
    ReaderHandles& handles_;
    ReaderPortHost* host_ = nullptr;
    ReaderLibraryCalls library_;
    // The number of the port the fifth choice shows; empty while it is hidden.
    std::string otherPort_;
};
