#pragma once

#include "Balance.h"
#include "LineDevice.h"
#include "LineSplitter.h"

#include <deque>
#include <random>

namespace balance {

// The balance's side of the line: commands from the host, lines ended by CR LF or an escape and
// one letter, each answer paced at the
// balance's own 2400 baud, or at once without delays; in continuous mode a line about every
// 100 ms besides.
class BalanceSide : public emulator::LineDevice {
public:
    BalanceSide(Balance& balance, bool delays) : balance_(balance), delays_(delays) {}

    emulator::ControlReply control(const std::string& line) override;
    void received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) override;
    std::optional<Clock::time_point> serve(emulator::PseudoTerminalLink& link,
                                           Clock::time_point now) override;
    void lineLost() override;

private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        std::size_t sent = 0;
        Clock::time_point start; // byte i is complete at start + (i + 1) character times
        bool paced = false;
    };

    // Answers one command of the host that took requestBytes on the line.
    void take(std::string_view command, std::size_t requestBytes, Clock::time_point now);
    void queue(std::size_t requestBytes, Answer answer, Clock::time_point now);
    // Queues the next unasked line when it is due; when the one after it is, nullopt for never.
    std::optional<Clock::time_point> sendUnasked(Clock::time_point now);
    // Puts on the link what of the queue is due; when more is, nullopt for never.
    std::optional<Clock::time_point> sendDue(emulator::PseudoTerminalLink& link,
                                             Clock::time_point now);

    Balance& balance_;
    bool delays_;
    emulator::LineSplitter requests_;
    // An escape came, and the command's letter is still to come.
    bool escaped_ = false;
    std::deque<Outgoing> outgoing_;
    Clock::time_point lineFreeAt_;
    std::optional<Clock::time_point> nextUnaskedAt_;
    std::mt19937 random_{std::random_device{}()};
};

} // namespace balance
