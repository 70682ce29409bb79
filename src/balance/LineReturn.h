#pragma once

#include "SerialPort.h"

#include <chrono>
#include <functional>
#include <string>

namespace balance {

// Brings a balance line back after it failed (a line that hung up, a USB adapter pulled out):
// the port is closed, and opened again with the same name and frame, quietly, at most once in
// retryPause, until it opens. A port closed on purpose is not brought back. UI thread only.
class LineReturn {
public:
    static constexpr std::chrono::seconds retryPause{2};
    // Called with true when the line went away, with false when it is back.
    using Away = std::function<void(bool away)>;

    explicit LineReturn(Away away = {}) : away_(std::move(away)) {}

    // The port was opened by name with this parity; forgets an earlier failure.
    void opened(const std::string& portName, platform::Parity parity);
    // The line failed: the port is closed, to be opened again by tryAgain.
    void failed(platform::SerialPort& port);
    // While the line is away and the pause has passed, tries to open it once; true when it did.
    bool tryAgain(platform::SerialPort& port);
    // The port was closed on purpose.
    void forget();

private:
    Away away_;
    std::string portName_;
    platform::Parity parity_ = platform::Parity::None;
    bool lost_ = false;
    std::chrono::steady_clock::time_point lastTry_{};
};

} // namespace balance
