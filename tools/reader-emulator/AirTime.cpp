#include "AirTime.h"

namespace air {

std::int64_t requestMicros(std::size_t bytes) {
    return static_cast<std::int64_t>(bytes) * kRequestByteMicros + kRequestFramingMicros;
}

std::int64_t replyMicros(std::size_t bytes) {
    return static_cast<std::int64_t>(bytes) * kReplyByteMicros + kReplyFramingMicros;
}

std::int64_t exchangeMicros(std::size_t requestBytes, std::size_t replyBytes) {
    return requestMicros(requestBytes) + kReplyWaitMicros + replyMicros(replyBytes);
}

std::int64_t unansweredMicros(std::size_t requestBytes) {
    return requestMicros(requestBytes) + kSilentSlotMicros;
}

std::int64_t inventoryMicros(const std::vector<int>& answersPerSlot) {
    std::int64_t total = requestMicros(kInventoryRequestBytes);
    const std::int64_t singleRound = exchangeMicros(kInventoryRequestBytes, kInventoryReplyBytes);
    for (std::size_t slot = 0; slot < answersPerSlot.size(); ++slot) {
        if (slot > 0) {
            total += kSlotMarkerMicros;
        }
        const int answers = answersPerSlot[slot];
        if (answers == 0) {
            total += kSilentSlotMicros;
            continue;
        }
        // Colliding answers take as long as one; the reader then singles each one out.
        total += kReplyWaitMicros + replyMicros(kInventoryReplyBytes) + kSlotRecoveryMicros;
        if (answers > 1) {
            total += answers * singleRound;
        }
    }
    return total;
}

} // namespace air
