#pragma once

#include "ControlServer.h"
#include "Deframer.h"
#include "Emulator.h"
#include "LineSplitter.h"
#include "PseudoTerminalLink.h"

#include <chrono>
#include <deque>
#include <optional>
#include <random>

namespace emulator {

// The program's loop: requests from the line, replies at their time, control lines from
// standard input and the control socket, and the signals that end it.
class Service {
public:
    Service(Emulator& emulator, PseudoTerminalLink& link, ControlServer* control,
            bool quitAtEndOfInput);

    // Runs one control line, hang-up and quit included.
    ControlReply control(const std::string& line);
    bool quitRequested() const { return quit_; }
    // How long the line was quiet, sent and received alike, before the last request began to
    // arrive, in ms; nullopt before the first.
    std::optional<std::int64_t> quietBeforeLastRequestMs() const;
    // Until quit or a terminating signal; the exit code.
    int run();

private:
    using Clock = std::chrono::steady_clock;

    struct Pending {
        wire::Bytes bytes;
        Clock::time_point due;
    };

    void readLine();
    void readStandardInput();
    void dropStalePartialFrame(Clock::time_point now);
    void planNextReply();
    void sendDueReply(Clock::time_point now);
    // A new pseudo-terminal in place of the old; an error text when none could be had.
    std::string hangUp();
    int pollTimeoutMs(Clock::time_point now) const;

    Emulator& emulator_;
    PseudoTerminalLink& link_;
    ControlServer* control_;
    bool quitAtEndOfInput_;
    bool inputOpen_ = true;
    bool quit_ = false;
    int signalFd_ = -1;
    wire::Deframer deframer_{wire::FrameKind::Request};
    Clock::time_point lastByte_;
    Clock::time_point lastLineActivity_;
    std::optional<Clock::duration> quietBeforeLastRequest_;
    std::deque<wire::Frame> requests_;
    std::optional<Pending> pending_;
    LineSplitter input_;
    std::mt19937 random_{std::random_device{}()};
};

} // namespace emulator
