#include "PortReturn.h"

#include "ReaderCallStatus.h"

#include <charconv>
#include <vector>

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
    if (port <= 0 ||
        readerCallFailed(
            reader_port::readPortParameter(library_, port, ZQCOM_PARA_PORTNR, lost.number)) ||
        readerCallFailed(reader_port::readPortSettings(library_, port, lost.settings)))
        return std::nullopt;
    if (!isSerialPort(lost.number) && readerCallFailed(reader_port::readPortParameter(
                                          library_, port, ZQCOM_PARA_READER_NAME, lost.readerName)))
        return std::nullopt;
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

// The closes here clean up after a failure: whatever they give, the handle is given up.
bool PortReturn::reopen(const LostPort& port) {
    if (const std::int32_t held = handles_.PortHandle.exchange(0); held > 0)
        library_.ClosePort(held);
    const std::int32_t opened = openAgain(port);
    if (readerCallFailed(opened))
        return false;
    if (readerCallFailed(reader_port::setPortSettings(library_, opened, port.settings))) {
        library_.ClosePort(opened);
        return false;
    }
    handles_.PortHandle = opened;
    return !readerCallFailed(reader_port::bindReaderToPort(library_, handles_, opened));
}

// A restarted service lists its readers anew: the reader is looked for by its name, at its own
// number first.
std::int32_t PortReturn::openAgain(const LostPort& port) const {
    if (port.readerName.empty())
        return library_.OpenPort(port.number.c_str());
    std::vector<std::string> numbers{port.number};
    for (int number = ZQCOM_FIRST_PCSC_PORT; number <= ZQCOM_LAST_PCSC_PORT; ++number) {
        if (std::to_string(number) != port.number)
            numbers.push_back(std::to_string(number));
    }
    for (const std::string& number : numbers) {
        const std::int32_t opened = library_.OpenPort(number.c_str());
        if (opened == ZQCOM_ERR_NO_SERVICE)
            return opened;
        std::string name;
        if (readerCallFailed(opened))
            continue;
        if (!readerCallFailed(
                reader_port::readPortParameter(library_, opened, ZQCOM_PARA_READER_NAME, name)) &&
            name == port.readerName)
            return opened;
        // Another reader's port, not the one sought: given up whatever the close gives.
        library_.ClosePort(opened);
    }
    return ZQCOM_ERR_OPEN_FAILED;
}
