#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "ReaderPortSteps.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Brings the reader back after its port failed (a line that hung up, an adapter unplugged, a
// PC/SC reader taken away or its service restarted): the same port number is opened again with
// the settings it had, at most once in retryPause, and the reader is bound to it. A PC/SC port
// must give the reader of the same name; another place in the service's list serves too.
// Nothing is shown: the device may stay away for long. Used by one thread at a time;
// handles.PortHandle follows the port.
class PortReturn {
public:
    static constexpr std::chrono::seconds retryPause{2};

    PortReturn(const ReaderLibraryCalls& library, ReaderHandles& handles);

    // Whether a reader status means the port itself failed rather than the reader's answer.
    static bool portFailed(std::int32_t status);

    // At the first failure notes the port; later tries once unless the last try (or the
    // failure) was less than retryPause ago. True when the port is open and the reader bound to
    // it again.
    bool tryAgain();
    // The port works again (or another took its place): the next failure starts afresh.
    void forget();

private:
    struct LostPort {
        std::string number;
        // A PC/SC port keeps them too, and its TimeOut bounds its waits.
        reader_port::PortSettings settings;
        // Empty for a serial port.
        std::string readerName;
    };

    std::optional<LostPort> lostPort(std::int32_t port) const;
    bool reopen(const LostPort& port);
    // The new handle of the lost port, or the library's status.
    std::int32_t openAgain(const LostPort& port) const;

    const ReaderLibraryCalls& library_;
    ReaderHandles& handles_;
    std::optional<LostPort> lost_;
    std::chrono::steady_clock::time_point lastTry_{};
};
