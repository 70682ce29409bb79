#include "Fault.h"

namespace emulator {
namespace {

constexpr int kMaxNoiseBytes = 16;

// Never a start of frame: a stray one could hold a receiver waiting for a frame that never ends.
std::uint8_t randomLineByte(std::mt19937& random) {
    std::uint8_t byte = wire::kStartOfFrame;
    while (byte == wire::kStartOfFrame) {
        byte = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random));
    }
    return byte;
}

} // namespace

std::string faultText(const Fault& fault) {
    std::string text(nameOf(kFaultNames, fault.kind));
    if (fault.kind == FaultKind::Slow) {
        text += " " + std::to_string(fault.slowMs);
    }
    return text;
}

wire::Bytes spoilReply(const Fault& fault, const wire::Bytes& frame, std::mt19937& random) {
    switch (fault.kind) {
    case FaultKind::Silence:
        return {};
    case FaultKind::Garbage: {
        wire::Bytes garbage(frame.size());
        for (std::uint8_t& byte : garbage) {
            byte = randomLineByte(random);
        }
        return garbage;
    }
    case FaultKind::Noise: {
        const int count = std::uniform_int_distribution<int>(1, kMaxNoiseBytes)(random);
        wire::Bytes noisy;
        for (int index = 0; index < count; ++index) {
            noisy.push_back(randomLineByte(random));
        }
        noisy.insert(noisy.end(), frame.begin(), frame.end());
        return noisy;
    }
    case FaultKind::BadCrc: {
        wire::Bytes spoilt = frame;
        if (!spoilt.empty()) {
            spoilt.back() ^= 0xFF;
        }
        return spoilt;
    }
    case FaultKind::Short:
        return wire::Bytes(frame.begin(), frame.begin() + frame.size() / 2);
    case FaultKind::None:
    case FaultKind::Slow:
        break;
    }
    return frame;
}

} // namespace emulator
