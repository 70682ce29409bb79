#include "LineReturn.h"

#include "BalanceSerial.h"

namespace balance {

void LineReturn::opened(const std::string& portName, platform::Parity parity) {
    portName_ = portName;
    parity_ = parity;
    lost_ = false;
}

void LineReturn::failed(platform::SerialPort& port) {
    port.close();
    if (lost_ || portName_.empty())
        return;
    lost_ = true;
    lastTry_ = std::chrono::steady_clock::now();
    if (away_)
        away_(true);
}

bool LineReturn::tryAgain(platform::SerialPort& port) {
    const auto now = std::chrono::steady_clock::now();
    if (!lost_ || now - lastTry_ < retryPause)
        return false;
    lastTry_ = now;
    if (!setUpBalanceLine(port, portName_, parity_).isEmpty())
        return false;
    lost_ = false;
    if (away_)
        away_(false);
    return true;
}

void LineReturn::forget() {
    portName_.clear();
    lost_ = false;
}

} // namespace balance
