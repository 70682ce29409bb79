#include "BalanceSerial.h"

#include "MessageBoxes.h"
#include "ReplyCut.h"

namespace balance {
namespace {

// The balance's port errors come without owner and with an empty caption.
void showPortError(const QString& text) {
    platform::showMessage(text, QString(), platform::MessageIcon::None);
}

const QString openErrorText = QStringLiteral("開啟通訊埠錯誤!!");

} // namespace

void showOpenError() {
    showPortError(openErrorText);
}

QString setUpBalanceLine(platform::SerialPort& port, const std::string& portName,
                         platform::Parity parity) {
    if (!port.open(portName))
        return openErrorText;
    platform::LineSettings settings;
    settings.baud = kBalanceBaud;
    settings.dataBits = 7;
    settings.parity = parity;
    settings.stopBits = 1;
    if (!port.setSettings(settings)) {
        port.close();
        return QStringLiteral("通訊埠設定錯誤!!!");
    }
    return {};
}

bool openBalanceLine(platform::SerialPort& port, const std::string& portName,
                     platform::Parity parity) {
    const QString error = setUpBalanceLine(port, portName, parity);
    if (!error.isEmpty())
        showPortError(error);
    return error.isEmpty();
}

TakenBytes takeWaitingBytes(platform::SerialPort& port) {
    const long waiting = port.bytesWaiting();
    if (waiting <= 0) {
        return {};
    }
    if (waiting > kReceiveLimit) {
        port.purgeReceive();
        return {{}, false};
    }
    char buffer[kReceiveLimit];
    const long received = port.read(buffer, static_cast<std::size_t>(waiting));
    if (received <= 0) {
        return {};
    }
    QByteArray bytes(buffer, static_cast<qsizetype>(received));
    const bool endedLine = isLineEnd(bytes.back());
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        bytes.truncate(zero);
    }
    return {bytes, endedLine};
}

} // namespace balance
