#pragma once

#include "ControlReply.h"
#include "PseudoTerminalLink.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

namespace emulator {

// The emulated device as the loop drives it: bytes from the host, replies at their time and
// control lines. Knows nothing of signals, sockets or standard input.
class LineDevice {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~LineDevice() = default;

    // One control line; reply.hangup asks for a new line, reply.quit for the end.
    virtual ControlReply control(const std::string& line) = 0;
    // Bytes the host sent, as they came.
    virtual void received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) = 0;
    // Puts on the link what is due by now; when it next has something to do, nullopt for never.
    virtual std::optional<Clock::time_point> serve(PseudoTerminalLink& link,
                                                   Clock::time_point now) = 0;
    // The line was hung up: what was on its way is lost.
    virtual void lineLost() = 0;

    // Descriptors the device watches beside the line, such as a network link; none by default.
    virtual void addPollEntries(std::vector<pollfd>& /*entries*/) const {}
    // Serves them where entries say something is ready, after the control lines of the same
    // round; when it next has something to do, nullopt for never.
    virtual std::optional<Clock::time_point> servePolled(const std::vector<pollfd>& /*entries*/,
                                                         Clock::time_point /*now*/) {
        return std::nullopt;
    }
};

} // namespace emulator
