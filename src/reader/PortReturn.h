#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "ReaderPortSteps.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Brings the reader back after its port failed (a line that hung up, an adapter unplugged, a
// PC/SC reader taken away): the same port number is opened again with the settings it had, at
// most once in retryPause, and the reader is bound to it. Nothing is shown: the device may stay
// away for long. Used by one thread at a time; handles.PortHandle follows the port.
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
        // Empty for a PC/SC port, which has no line of its own.
        std::optional<reader_port::PortSettings> line;
    };

    std::optional<LostPort> lostPort(std::int32_t port) const;
    bool reopen(const LostPort& port);

    const ReaderLibraryCalls& library_;
    ReaderHandles& handles_;
    std::optional<LostPort> lost_;
    std::chrono::steady_clock::time_point lastTry_{};
};
