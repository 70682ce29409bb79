#include "PcscFace.h"

#include "HexFields.h"
#include "PcscCard.h"

namespace emulator {
namespace {

// One-byte messages from the driver.
constexpr std::uint8_t kPowerOff = 0;
constexpr std::uint8_t kPowerOn = 1;
constexpr std::uint8_t kReset = 2;
constexpr std::uint8_t kSendAtr = 4;
// What a reader answers for a card that left mid-command.
const wire::Bytes kNoCardAnswered{0x64, 0x00};

} // namespace

PcscFace::PcscFace(Emulator& emulator, const VpcdAddress& address, std::string name)
    : emulator_(emulator), link_(address, kMaxApduLength), name_(std::move(name)) {}

std::optional<PcscFace::Clock::time_point> PcscFace::serve(const std::vector<pollfd>& entries,
                                                           Clock::time_point now) {
    const Transponder* first = emulator_.firstTransponder();
    const wire::Bytes uid = first != nullptr ? first->uid : wire::Bytes{};
    if (uid != presented_) {
        absenceOwed_ = absenceOwed_ || shown_;
        presented_ = uid;
    }
    link_.setWanted(!presented_.empty());
    return link_.serve(entries, now,
                       [this](const wire::Bytes& message, const wire::Bytes& previous) {
                           return answer(message, previous);
                       });
}

void PcscFace::hangUp(Clock::time_point now) {
    link_.drop(now);
    shown_ = false;
    absenceOwed_ = false;
}

VpcdReply PcscFace::answer(const wire::Bytes& message, const wire::Bytes& previous) {
    Transponder* card = emulator_.firstTransponder();
    if (previous.empty()) {
        shown_ = false;
    }
    if (card == nullptr || absenceOwed_) {
        return answerWithoutCard(message, previous);
    }
    if (message.size() > 1) {
        return VpcdReply::send(answerApdu(*card, message));
    }
    switch (message[0]) {
    case kPowerOff:
    case kPowerOn:
    case kReset:
        return VpcdReply::nothing();
    case kSendAtr:
        shown_ = true;
        return VpcdReply::send(storageCardAtr());
    default:
        return VpcdReply::hangUp();
    }
}

VpcdReply PcscFace::answerWithoutCard(const wire::Bytes& message, const wire::Bytes& previous) {
    if (message.size() > 1) {
        // The card the command was for is gone; the next presence check says so.
        return VpcdReply::send(kNoCardAnswered);
    }
    if (message[0] != kSendAtr) {
        return VpcdReply::nothing();
    }
    absenceOwed_ = false;
    shown_ = false;
    // Gone in a power-up the card would only count as mute: the link comes back after the
    // retry delay, so the next presence check finds none.
    const bool powerUp = previous.size() == 1 && (previous[0] == kPowerOn || previous[0] == kReset);
    return powerUp ? VpcdReply::hangUp() : VpcdReply::leave();
}

std::string PcscFace::statusLine() const {
    static const char* const kStates[] = {"no-card", "waiting", "connecting", "connected"};
    std::string line = "pcsc " + name_ + " " + kStates[static_cast<int>(link_.state())];
    if (!presented_.empty()) {
        line += " " + hexText(presented_);
    }
    return line;
}

} // namespace emulator
