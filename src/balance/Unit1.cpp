#include "Unit1.h"

#include "BalanceSerial.h"
#include "DialogKeys.h"
#include "ErrorGuard.h"
#include "MessageBoxes.h"
#include "ReplyCut.h"
#include "ui_Unit1.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace {

// Designer forms carry point sizes only; this window's fonts are given in pixels.
QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

// What each entry of the command list does on the balance, by index.
const std::array<const char*, 9> kExplanations = {
    "校正",
    "與天平的 [ON/OFF] 鍵相同",
    "與天平的 [PRINT] 鍵相同",
    "稱重資料的需求",
    "與天平的 [RE-ZERO]鍵相同",
    "與天平的 [RANGE] 鍵相同",
    "與天平的 [SAMPLE]鍵相同",
    "與天平的 [MODE] 鍵相同 (Unit 指令)",
    "與天平的 [ZERO] 鍵相同 (Zero 指令)",
};

constexpr int kReplyWaitMs = 1000;

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm1>()), Timer1(new QTimer(this)),
      replyWait_(new QTimer(this)) {
    ui->setupUi(this);
    platform::pressFocusedButtonOnEnter(*this);
    move(313, 158); // the generated setup sizes a top-level form but does not place it
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    const QFont large = pixelFont(QStringLiteral("MS Sans Serif"), 16);
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->btnOpenPort, ui->btnEnd, ui->btnSend,
                                                           ui->Label2, ui->mReceive})
        widget->setFont(large);

    ui->rdCOM->setFont(pixelFont(QStringLiteral("新細明體"), 16));
    QPalette portPalette = ui->rdCOM->palette();
    portPalette.setColor(QPalette::WindowText, Qt::blue);
    ui->rdCOM->setPalette(portPalette);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    replyWait_->setSingleShot(true);
    replyWait_->setTimerType(Qt::PreciseTimer);
    replyWait_->setInterval(kReplyWaitMs);

    using platform::guardedSlot;
    connect(Timer1, &QTimer::timeout, this, guardedSlot(this, &TForm1::Timer1Timer));
    connect(replyWait_, &QTimer::timeout, this, guardedSlot(this, &TForm1::FinishTick));
    connect(ui->btnOpenPort, &QPushButton::clicked, this,
            guardedSlot(this, &TForm1::btnOpenPortClick));
    connect(ui->btnSend, &QPushButton::clicked, this, guardedSlot(this, &TForm1::btnSendClick));
    connect(ui->btnEnd, &QPushButton::clicked, this, guardedSlot(this, &TForm1::btnEndClick));
    // The spin box reports value changes only, with its editor's signals blocked; the editor
    // reports typing, where a field that is not whole counts as the minimum.
    connect(ui->SpinEdit1, &QSpinBox::textChanged, this,
            guardedSlot(this, &TForm1::SpinEdit1Change));
    connect(ui->SpinEdit1->findChild<QLineEdit*>(), &QLineEdit::textChanged, this,
            guardedSlot(this, &TForm1::SpinEdit1Change));
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this,
            guardedSlot(this, &TForm1::ComboBox1Change));
}

TForm1::~TForm1() = default;

void TForm1::btnOpenPortClick() {
    if (port_.isOpen()) {
        platform::showMessage(QStringLiteral("通訊埠已開啟!不需再開!"),
                              QCoreApplication::applicationName(), platform::MessageIcon::None);
        return;
    }
    OpenTerminalPort();
}

void TForm1::startRequestsAtShow() {
    Timer1->start();
    btnSendClick();
    ui->CheckBox1->setChecked(true);
    btnSendClick();
}

void TForm1::openPortAtShow(const balance::BalanceIni& ini) {
    // An open port stays with the choice it was opened by.
    if (port_.isOpen()) {
        return;
    }
    dialect_ = ini.dialect;
    request_ = requestOf(*dialect_);
    bool offered = ini.port.empty();
    for (QRadioButton* item : {ui->rdCOM_COM1, ui->rdCOM_COM2}) {
        if (item->text().compare(QString::fromStdString(ini.port), Qt::CaseInsensitive) == 0) {
            item->setChecked(true);
            offered = true;
        }
    }
    if (!ini.openAtShow) {
        return;
    }
    if (offered) {
        OpenTerminalPort();
    } else {
        balance::showOpenError();
    }
}

std::string_view TForm1::requestOf(const balance::BalanceDialect& dialect) {
    return dialect.request("Q").value_or(dialect.requests.front()).bytes;
}

void TForm1::OpenTerminalPort() {
    const int position = ui->rdCOM_COM2->isChecked() ? 1 : 0;
    // What a balance sends unasked before the first request is taken by that tick's start, and
    // tells where its output stands.
    atLineStart_ = true;
    const std::string name = "COM" + std::to_string(position + 1);
    if (balance::openBalanceLine(port_, name, platform::Parity::Even)) {
        lineReturn_.opened(name, platform::Parity::Even);
    }
}

void TForm1::btnSendClick() {
    if (Timer1->isActive()) {
        Timer1->stop();
        ui->btnSend->setText(QStringLiteral("Start"));
    } else {
        Timer1->start();
        ui->btnSend->setText(QStringLiteral("Stop"));
    }
}

void TForm1::btnEndClick() {
    ClosePort();
    close();
}

// A weight read from a closed port would be stale.
void TForm1::ClosePort() {
    lineReturn_.forget();
    if (!port_.isOpen()) {
        return;
    }
    replyWait_->stop();
    tickDue_ = false;
    port_.close();
    forgetWeight();
}

void TForm1::SpinEdit1Change() {
    bool whole = false;
    const int seconds = ui->SpinEdit1->cleanText().toInt(&whole);
    const int minimum = ui->SpinEdit1->minimum();
    Timer1->setInterval((whole ? std::clamp(seconds, minimum, ui->SpinEdit1->maximum()) : minimum) *
                        1000);
}

void TForm1::ComboBox1Change() {
    const int index = ui->ComboBox1->currentIndex();
    if (index >= 0 && index < static_cast<int>(kExplanations.size())) {
        ui->Edit1->setText(QString::fromUtf8(kExplanations[static_cast<std::size_t>(index)]));
    }
}

// The first half of a tick. One that comes while the reply is awaited runs once the reply is
// in: ticks never overlap, and a period as long as the wait still asks once a period.
void TForm1::Timer1Timer() {
    if (!port_.isOpen()) {
        if (!lineReturn_.tryAgain(port_)) {
            return;
        }
        atLineStart_ = true;
    }
    if (replyWait_->isActive()) {
        tickDue_ = true;
        return;
    }
    StartTick();
}

void TForm1::StartTick() {
    // What waits now came unasked or late and is no reply to this request; taking it tells
    // whether the reply's first line is whole.
    take();
    replyStartsLine_ = atLineStart_;
    if (port_.write(request_.data(), request_.size()) != static_cast<long>(request_.size())) {
        // A weight from a line that went away would be stale; it shows again once it is back.
        lineReturn_.failed(port_);
        forgetWeight();
        return;
    }
    stamps_.requestSent();
    ui->mReceive->clear();
    reply_.clear();
    receive();
    replyWait_->start();
}

void TForm1::FinishTick() {
    if (!port_.isOpen()) {
        return;
    }
    receive();
    const QByteArray line = balance::weightLine(reply_, replyStartsLine_);
    weightText_ = balance::weightOf(line, *dialect_);
    reading_ = dialect_->parse(std::string_view(line.constData(), line.size()));
    stamps_.answered(reading_);
    // Unless the timer was stopped meanwhile.
    if (std::exchange(tickDue_, false) && Timer1->isActive()) {
        StartTick();
    }
}

void TForm1::forgetWeight() {
    weightText_.clear();
    reading_ = {};
    stamps_.lost();
}

QByteArray TForm1::take() {
    const balance::TakenBytes taken = balance::takeWaitingBytes(port_);
    if (taken.endedLine.has_value()) {
        atLineStart_ = *taken.endedLine;
    }
    return taken.text;
}

void TForm1::receive() {
    const QByteArray bytes = take();
    if (bytes.isEmpty()) {
        return;
    }
    reply_.append(bytes);
    // Appended without taking the focus from the field the user is in.
    QTextCursor end(ui->mReceive->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromLatin1(bytes));
    ui->mReceive->setTextCursor(end);
    ui->mReceive->ensureCursorVisible();
}
