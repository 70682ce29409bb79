#include "PortReturn.h"

#include <charconv>
#include <utility>

namespace {

bool isSerialPort(const std::string& number) {
    int value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc() && end == number.data() + number.size() &&
           value >= ZQCOM_FIRST_SERIAL_PORT && value <= ZQCOM_LAST_SERIAL_PORT;
}

} // namespace

PortReturn::PortReturn(const ReaderLibraryCalls& library, ReaderHandles& handles)
    : library_(library), handles_(handles) {}

bool PortReturn::portFailed(std::int32_t status) {
    return status == ZQKRT_ERR_WRITE_FAILED || status == ZQKRT_ERR_PORT_NOT_OPEN;
}

std::optional<PortReturn::LostPort> PortReturn::lostPort(std::int32_t port) const {
    LostPort lost;
    if (port <= 0 || reader_port::readPortParameter(library_, port, "PortNr", lost.number) < 0)
        return std::nullopt;
    if (!isSerialPort(lost.number))
        return lost;
    reader_port::PortSettings line;
    if (reader_port::readPortSettings(library_, port, line) < 0)
        return std::nullopt;
    lost.line = std::move(line);
    return lost;
}

bool PortReturn::tryAgain() {
    const auto now = std::chrono::steady_clock::now();
    if (!lost_) {
        // A port nobody opened, or one closed by hand, is not for this to bring back. The
        // first try waits too: the containers seen before the failure leave the list meanwhile.
        lost_ = lostPort(handles_.PortHandle);
        lastTry_ = now;
        return false;
    }
    if (now - lastTry_ < retryPause)
        return false;
    lastTry_ = now;
    return reopen(*lost_);
}

void PortReturn::forget() {
    lost_.reset();
}

bool PortReturn::reopen(const LostPort& port) {
    if (const std::int32_t held = handles_.PortHandle.exchange(0); held > 0)
        library_.ClosePort(held);
    const std::int32_t opened = library_.OpenPort(port.number.c_str());
    if (opened <= 0)
        return false;
    if (port.line && reader_port::setPortSettings(library_, opened, *port.line) < 0) {
        library_.ClosePort(opened);
        return false;
    }
    handles_.PortHandle = opened;
    return reader_port::bindReaderToPort(library_, handles_, opened) >= 0;
}
