#include "ZQDlgComPort.h"

#include "BaudRates.h"
#include "DialogKeys.h"
#include "ErrorGuard.h"
#include "MessageBoxes.h"
#include "ReaderCallStatus.h"
#include "ReaderPortSteps.h"
#include "SerialFrames.h"
#include "ZQKRT_TableArray.h"
#include "ui_ZQDlgComPort.h"

#include <QFocusEvent>
#include <QShowEvent>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace {

// Leading blanks, a sign, then decimal digits or hex digits after "$" or "0x"; fits 32 bits.
bool readsAsWholeNumber(const QString& text) {
    QStringView rest(text);
    while (rest.startsWith(u' ') || rest.startsWith(u'\t')) {
        rest = rest.mid(1);
    }
    const bool negative = rest.startsWith(u'-');
    if (negative || rest.startsWith(u'+')) {
        rest = rest.mid(1);
    }
    int base = 10;
    if (rest.startsWith(u'$') || rest.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        rest = rest.mid(rest.startsWith(u'$') ? 1 : 2);
    }
    const bool digitsOnly =
        !rest.isEmpty() && std::all_of(rest.begin(), rest.end(), [base](QChar c) {
            return c.unicode() < 128 &&
                   (base == 16 ? std::isxdigit(c.unicode()) : std::isdigit(c.unicode()));
        });
    bool fits = false;
    const qint64 magnitude = rest.toLongLong(&fits, base);
    return digitsOnly && fits && magnitude <= (negative ? qint64{2147483648} : qint64{2147483647});
}

std::string serialPortNumber(std::size_t choice) {
    return std::to_string(ZQCOM_FIRST_SERIAL_PORT + choice);
}

std::string textOf(const QComboBox* list) {
    return list->currentText().toStdString();
}

} // namespace

TForm_ComPort::TForm_ComPort(ReaderHandles& handles, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm_ComPort>()), handles_(handles) {
    ui->setupUi(this);
    for (const BaudRate& rate : kBaudRates) {
        ui->Cbo_Baud->addItem(
            QString::fromLatin1(rate.text.data(), static_cast<qsizetype>(rate.text.size())));
    }
    for (const SerialFrame& frame : kSerialFrames) {
        ui->Cbo_Frame->addItem(
            QString::fromLatin1(frame.text.data(), static_cast<qsizetype>(frame.text.size())));
    }
    // Filling a list selects its first entry; a new dialog shows none.
    ui->Cbo_Baud->setCurrentIndex(-1);
    ui->Cbo_Frame->setCurrentIndex(-1);
    const reader_port::PortSettings defaults = reader_port::defaultPortSettings();
    ui->Edt_TimeOut->setText(QString::fromStdString(defaults.TimeOut));
    ui->Edt_DelayTime->setText(QString::fromStdString(defaults.TxDelayTime));
    setFixedSize(size());
    platform::keepEnterFromButtons(*this);
    using platform::guardedSlot;
    connect(ui->Btn_OpenPort, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_OpenPortClick));
    connect(ui->Btn_ClosePort, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_ClosePortClick));
    connect(ui->Btn_GetPortPara, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_GetPortParaClick));
    connect(ui->Btn_SetPortPara, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_SetPortParaClick));
    connect(ui->Btn_Baudrate, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_BaudrateClick));
    connect(ui->Btn_OK, &QPushButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Btn_OKClick));
    // Also on checks made by the read back, so the delay edit never shows without time control.
    connect(ui->Chk_TimeControl, &QCheckBox::toggled, this,
            guardedSlot(this, &TForm_ComPort::Chk_TimeControlClick));
    for (QRadioButton* choice : SerialPortChoices()) {
        connect(choice, &QRadioButton::clicked, this,
                guardedSlot(this, &TForm_ComPort::Rdo_ComClick));
    }
    connect(ui->Rdo_Pcsc, &QRadioButton::clicked, this,
            guardedSlot(this, &TForm_ComPort::Rdo_PcscClick));
    // Every way of closing (OK, Escape, the close box) ends in done(), which emits finished.
    connect(this, &QDialog::finished, this, guardedSlot(this, &TForm_ComPort::FormClose));
    ui->Edt_TimeOut->installEventFilter(this);
    ui->Edt_DelayTime->installEventFilter(this);
}

TForm_ComPort::~TForm_ComPort() = default;

void TForm_ComPort::setHost(ReaderPortHost* host) {
    host_ = host;
}

void TForm_ComPort::setLibrary(ReaderLibraryCalls library) {
    library_ = std::move(library);
}

void TForm_ComPort::EnablePortButtons(bool enabled) {
    ui->Btn_ClosePort->setEnabled(enabled);
    ui->Btn_GetPortPara->setEnabled(enabled);
    ui->Btn_SetPortPara->setEnabled(enabled);
    ui->Btn_Baudrate->setEnabled(enabled);
}

void TForm_ComPort::SetRunEnabled(bool enabled) {
    if (host_ != nullptr) {
        host_->setRunEnabled(enabled);
    }
}

void TForm_ComPort::SelectBaud(const std::string& rate) {
    ui->Cbo_Baud->setCurrentIndex(ui->Cbo_Baud->findText(QString::fromStdString(rate)));
}

void TForm_ComPort::ApplyPortSettings() {
    failedAndShown(reader_port::setPortSettings(
        library_, handles_.PortHandle,
        {textOf(ui->Cbo_Baud), textOf(ui->Cbo_Frame), ui->Edt_TimeOut->text().toStdString(),
         ui->Edt_DelayTime->text().toStdString(), ui->Chk_TimeControl->isChecked() ? "1" : "0"}));
}

void TForm_ComPort::Btn_OpenPortClick() {
    if (handles_.PortHandle > 0) {
        platform::showMessage(QStringLiteral("One Port is already open"), QStringLiteral("Error"),
                              platform::MessageIcon::Exclamation);
        return;
    }
    const std::int32_t port = library_.OpenPort(ChosenSerialPort().c_str());
    if (failedAndShown(port))
        return;
    handles_.PortHandle = port;
    // The buttons and Btn_Run follow the open port even when binding it fails.
    EnablePortButtons(true);
    ui->Btn_OpenPort->setEnabled(false);
    SetRunEnabled(true);
    if (failedAndShown(reader_port::bindReaderToPort(library_, handles_, port)))
        return;
    ApplyPortSettings();
}

void TForm_ComPort::Btn_ClosePortClick() {
    if (failedAndShown(library_.ClosePort(handles_.PortHandle)))
        return;
    handles_.PortHandle = 0;
    ShowOpenPort({});
    EnablePortButtons(false);
    ui->Btn_OpenPort->setEnabled(true);
    SetRunEnabled(false);
}

std::array<QRadioButton*, ZQCOM_LAST_SERIAL_PORT - ZQCOM_FIRST_SERIAL_PORT + 1>
TForm_ComPort::SerialPortChoices() const {
    return {ui->Rdo_Com1, ui->Rdo_Com2, ui->Rdo_Com3, ui->Rdo_Com4};
}

std::string TForm_ComPort::ChosenSerialPort() const {
    const auto choices = SerialPortChoices();
    const auto chosen = std::ranges::find_if(choices, &QRadioButton::isChecked);
    return serialPortNumber(chosen == choices.end() ? 0 : chosen - choices.begin());
}

void TForm_ComPort::ShowSettings(const reader_port::PortSettings& settings) {
    SelectBaud(settings.Baud);
    ui->Cbo_Frame->setCurrentIndex(ui->Cbo_Frame->findText(QString::fromStdString(settings.Frame)));
    ui->Edt_TimeOut->setText(QString::fromStdString(settings.TimeOut));
    ui->Edt_DelayTime->setText(QString::fromStdString(settings.TxDelayTime));
    ui->Chk_TimeControl->setChecked(settings.TxTimeControl.starts_with('1'));
}

void TForm_ComPort::ReadBack() {
    reader_port::PortSettings settings;
    if (failedAndShown(reader_port::readPortSettings(library_, handles_.PortHandle, settings)))
        return;
    ShowSettings(settings);
}

void TForm_ComPort::Btn_GetPortParaClick() {
    ReadBack();
}

void TForm_ComPort::Btn_SetPortParaClick() {
    ApplyPortSettings();
}

void TForm_ComPort::Btn_BaudrateClick() {
    const std::int32_t port = handles_.PortHandle;
    if (port <= 0) {
        return;
    }
    // The rate and time-out the probe changes are put back as far as they can be (a found rate
    // stays): a value that could not be read stays empty and its restore fails unheeded. The
    // user is told the probe's outcome.
    std::string savedBaud, savedTimeOut;
    reader_port::readPortParameter(library_, port, ZQCOM_PARA_BAUD, savedBaud);
    reader_port::readPortParameter(library_, port, ZQCOM_PARA_TIMEOUT, savedTimeOut);
    const auto restore = [&] {
        library_.SetPortPara(port, ZQCOM_PARA_BAUD, savedBaud.c_str());
        library_.SetPortPara(port, ZQCOM_PARA_TIMEOUT, savedTimeOut.c_str());
        SelectBaud(savedBaud);
    };
    TZQKRT_TableArray probe(handles_.ReaderHandle, library_.Reader);
    for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
        const std::string rate(kBaudRates[i].text);
        const std::string timeOut(kBaudRates[i].probeTimeOut);
        std::int32_t status = library_.SetPortPara(port, ZQCOM_PARA_BAUD, rate.c_str());
        if (!readerCallFailed(status)) {
            status = library_.SetPortPara(port, ZQCOM_PARA_TIMEOUT, timeOut.c_str());
        }
        if (failedAndShown(status)) {
            restore();
            return;
        }
        ui->Cbo_Baud->setCurrentIndex(static_cast<int>(i));
        std::string reply;
        if (probe.RunCommand(ZQKRT_COMMAND_GET_BAUD, reply) == ZQKRT_STATUS_OK) {
            platform::showMessage(
                QStringLiteral("FoundReader\r\nBaudrate: %1").arg(QString::fromStdString(rate)),
                QStringLiteral("Information"), platform::MessageIcon::Information);
            library_.SetPortPara(port, ZQCOM_PARA_TIMEOUT, savedTimeOut.c_str());
            return;
        }
    }
    restore();
    platform::showMessage(QStringLiteral("Reader not found"), QStringLiteral("Information"),
                          platform::MessageIcon::Information);
}

void TForm_ComPort::Btn_OKClick() {
    accept();
}

void TForm_ComPort::Chk_TimeControlClick() {
    const bool shown = ui->Chk_TimeControl->isChecked();
    ui->Edt_DelayTime->setVisible(shown);
    ui->Txt_DelayTime->setVisible(shown);
}

void TForm_ComPort::Edt_TimeOutExit() {
    if (!readsAsWholeNumber(ui->Edt_TimeOut->text())) {
        ui->Edt_TimeOut->setText(
            QString::fromStdString(reader_port::defaultPortSettings().TimeOut));
    }
}

void TForm_ComPort::Edt_DelayTimeExit() {
    if (!readsAsWholeNumber(ui->Edt_DelayTime->text())) {
        ui->Edt_DelayTime->setText(
            QString::fromStdString(reader_port::defaultPortSettings().TxDelayTime));
    }
}

void TForm_ComPort::PortChosen(const std::string& chosen) {
    std::string number;
    const std::int32_t port = handles_.PortHandle;
    if (port <= 0 || readerCallFailed(reader_port::readPortParameter(library_, port,
                                                                     ZQCOM_PARA_PORTNR, number))) {
        EnablePortButtons(false);
        ui->Btn_OpenPort->setEnabled(true);
        return;
    }
    EnablePortButtons(number == chosen);
    ui->Btn_OpenPort->setEnabled(false);
}

void TForm_ComPort::Rdo_ComClick() {
    PortChosen(ChosenSerialPort());
}

void TForm_ComPort::Rdo_PcscClick() {
    PortChosen(otherPort_);
}

void TForm_ComPort::ShowOpenPort(const std::string& number) {
    QRadioButton* serial = nullptr;
    const auto choices = SerialPortChoices();
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (number == serialPortNumber(i))
            serial = choices[i];
    }
    otherPort_ = serial != nullptr ? std::string() : number;
    ui->Rdo_Pcsc->setVisible(!otherPort_.empty());
    if (otherPort_.empty()) {
        // The hidden choice must not stay checked: Open would find no COM port chosen.
        if (ui->Rdo_Pcsc->isChecked() || serial != nullptr)
            (serial != nullptr ? serial : choices.front())->setChecked(true);
        return;
    }
    // Only the tooltip needs the name: without it the tooltip stays empty.
    std::string name;
    reader_port::readPortParameter(library_, handles_.PortHandle, ZQCOM_PARA_READER_NAME, name);
    ui->Rdo_Pcsc->setText(QStringLiteral("PC/SC %1").arg(QString::fromStdString(otherPort_)));
    ui->Rdo_Pcsc->setToolTip(QString::fromStdString(name));
    ui->Rdo_Pcsc->setChecked(true);
}

void TForm_ComPort::FormShow() {
    if (handles_.PortHandle <= 0) {
        ShowOpenPort({});
        ShowSettings(reader_port::defaultPortSettings());
        EnablePortButtons(false);
        ui->Btn_OpenPort->setEnabled(true);
        return;
    }
    EnablePortButtons(true);
    ui->Btn_OpenPort->setEnabled(false);
    ReadBack();
    std::string number;
    if (!readerCallFailed(reader_port::readPortParameter(library_, handles_.PortHandle,
                                                         ZQCOM_PARA_PORTNR, number)) &&
        !number.empty()) {
        ShowOpenPort(number);
    }
}

void TForm_ComPort::FormClose() {
    if (host_ != nullptr) {
        host_->SaveIni();
    }
}

void TForm_ComPort::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // An event, not a signal: guarded here.
    if (!event->spontaneous()) {
        platform::runGuarded([this] { FormShow(); });
    }
}

// The check runs when the user moves on to another control, not when a popup (the edit's own
// context menu) or another window takes the focus for a while: the edit may be half-typed.
bool TForm_ComPort::eventFilter(QObject* watched, QEvent* event) {
    const auto movedOn = [event] {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
    };
    if (event->type() == QEvent::FocusOut && movedOn()) {
        // An event, not a signal: guarded here.
        if (watched == ui->Edt_TimeOut) {
            platform::runGuarded([this] { Edt_TimeOutExit(); });
        } else if (watched == ui->Edt_DelayTime) {
            platform::runGuarded([this] { Edt_DelayTimeExit(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}
