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

} // namespace

PcscFace::PcscFace(Emulator& emulator, const VpcdAddress& address, std::string name)
    : emulator_(emulator), link_(address, kMaxApduLength), name_(std::move(name)) {}

std::optional<PcscFace::Clock::time_point> PcscFace::serve(const std::vector<pollfd>& entries,
                                                           Clock::time_point now) {
    const Transponder* first = emulator_.firstTransponder();
    const wire::Bytes uid = first != nullptr ? first->uid : wire::Bytes{};
    if (uid != presented_) {
        // Another card: the old one leaves first, so the driver sees the change.
        if (!presented_.empty() && !uid.empty()) {
            link_.drop(now);
        }
        presented_ = uid;
    }
    link_.setWanted(!presented_.empty());
    return link_.serve(entries, now,
                       [this](const wire::Bytes& message) { return answer(message); });
}

std::optional<wire::Bytes> PcscFace::answer(const wire::Bytes& message) {
    Transponder* card = emulator_.firstTransponder();
    if (card == nullptr) {
        return std::nullopt;
    }
    if (message.size() > 1) {
        return answerApdu(*card, message);
    }
    switch (message[0]) {
    case kPowerOff:
    case kPowerOn:
    case kReset:
        return wire::Bytes{};
    case kSendAtr:
        return storageCardAtr();
    default:
        return std::nullopt;
    }
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
