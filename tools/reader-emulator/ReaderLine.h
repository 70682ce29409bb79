#pragma once

#include "Deframer.h"
#include "Emulator.h"
#include "LineDevice.h"

#include <deque>
#include <optional>
#include <random>

namespace emulator {

// The reader's side of the line: request frames from the host, each reply at its time.
class ReaderLine : public LineDevice {
public:
    explicit ReaderLine(Emulator& emulator) : emulator_(emulator) {}

    ControlReply control(const std::string& line) override;
    void received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) override;
    std::optional<Clock::time_point> serve(PseudoTerminalLink& link,
                                           Clock::time_point now) override;
    void lineLost() override;

    // How long the line was quiet, sent and received alike, before the last request began to
    // arrive, in ms; nullopt before the first.
    std::optional<std::int64_t> quietBeforeLastRequestMs() const;

private:
    struct Pending {
        wire::Bytes bytes;
        Clock::time_point due;
    };

    void dropStalePartialFrame(const RateAndFrame& host, Clock::time_point now);
    void planNextReply(const RateAndFrame& host);
    void sendDueReply(PseudoTerminalLink& link, Clock::time_point now);

    Emulator& emulator_;
    wire::Deframer deframer_{wire::FrameKind::Request};
    Clock::time_point lastByte_;
    Clock::time_point lastLineActivity_;
    std::optional<Clock::duration> quietBeforeLastRequest_;
    std::deque<wire::Frame> requests_;
    std::optional<Pending> pending_;
    std::mt19937 random_{std::random_device{}()};
};

} // namespace emulator
