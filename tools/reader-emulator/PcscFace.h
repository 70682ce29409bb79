#pragma once

#include "Emulator.h"
#include "VpcdLink.h"

#include <string>

namespace emulator {

// The reader as a PC/SC reader sees it through the virtual reader driver: the transponder lying
// first on it is the card, answered from the same memory as on the serial line; no transponder,
// no card. The driver asks for the card's ATR to see whether one is there; a link closed in
// answer is a card taken away.
class PcscFace {
public:
    using Clock = VpcdLink::Clock;

    // name is the driver's host and port, for status.
    PcscFace(Emulator& emulator, const VpcdAddress& address, std::string name);

    void addPollEntries(std::vector<pollfd>& entries) const { link_.addPollEntries(entries); }
    std::optional<Clock::time_point> serve(const std::vector<pollfd>& entries,
                                           Clock::time_point now);
    // Drops the link as a card torn away; it comes back after the retry delay.
    void hangUp(Clock::time_point now);

    // "pcsc HOST:PORT STATE [UID]", the card's state on the link.
    std::string statusLine() const;

private:
    VpcdReply answer(const wire::Bytes& message, const wire::Bytes& previous);
    VpcdReply answerWithoutCard(const wire::Bytes& message, const wire::Bytes& previous);

    Emulator& emulator_;
    VpcdLink link_;
    std::string name_;
    wire::Bytes presented_; // host order; empty while no card
    bool shown_ = false;    // the driver had the card's ATR on this link
    // A card the driver had is shown gone to one presence check before the next is shown: the
    // daemon only sees a change between two checks.
    bool absenceOwed_ = false;
};

} // namespace emulator
