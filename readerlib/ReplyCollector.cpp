#include "ReplyCollector.h"

#include "zqkrt.h"

#include <algorithm>
#include <utility>

namespace zqkrt_internal {
namespace {

constexpr std::size_t kMaxFrameBytes = wire::kMaxLength + wire::kOverhead;

} // namespace

ReplyCollector::ReplyCollector(std::uint8_t address, std::uint8_t command, FrameSeen frameSeen)
    : address_(address), command_(command), frameSeen_(std::move(frameSeen)) {}

void ReplyCollector::feed(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count && !reply_; ++i) {
        feedByte(bytes[i], true);
    }
}

// Byte by byte, so that the end of each frame is known and unframed_ holds only what follows.
void ReplyCollector::feedByte(std::uint8_t byte, bool noteFaults) {
    unframed_.push_back(byte);
    if (unframed_.size() > 2 * kMaxFrameBytes) {
        unframed_.erase(unframed_.begin(), unframed_.end() - kMaxFrameBytes);
    }
    deframer_.feed(&byte, 1);
    const std::optional<wire::Frame> frame = deframer_.next();
    if (noteFaults) {
        badCrcSeen_ = badCrcSeen_ || deframer_.crcErrors() != crcErrorsBefore_;
        badFramingSeen_ = badFramingSeen_ || deframer_.lengthErrors() != lengthErrorsBefore_;
    }
    crcErrorsBefore_ = deframer_.crcErrors();
    lengthErrorsBefore_ = deframer_.lengthErrors();
    if (frame) {
        unframed_.clear();
        take(*frame, noteFaults);
    }
}

void ReplyCollector::take(const wire::Frame& frame, bool noteFaults) {
    if (frameSeen_) {
        frameSeen_(frame);
    }
    if (address_ != wire::kBroadcastAddress && frame.address != address_) {
        return;
    }
    if (frame.command == command_) {
        reply_ = frame;
    } else if (noteFaults) {
        badFramingSeen_ = true;
    }
}

void ReplyCollector::dropPartialFrame() {
    if (!deframer_.hasPartialFrame()) {
        return;
    }
    badFramingSeen_ = true;
    const std::size_t held = deframer_.bufferedBytes();
    deframer_.reset();
    crcErrorsBefore_ = deframer_.crcErrors();
    lengthErrorsBefore_ = deframer_.lengthErrors();
    // The partial frame is the tail of what came; what turns up behind its start byte lay
    // inside a broken frame already counted, so its faults are not noted again.
    const std::size_t behindStart = std::min(held, unframed_.size()) - 1;
    const wire::Bytes rest(unframed_.end() - static_cast<std::ptrdiff_t>(behindStart),
                           unframed_.end());
    unframed_.clear();
    for (std::size_t i = 0; i < rest.size() && !reply_; ++i) {
        feedByte(rest[i], false);
    }
}

std::int32_t ReplyCollector::failureStatus() const {
    if (badCrcSeen_) {
        return ZQKRT_ERR_CRC;
    }
    return badFramingSeen_ ? ZQKRT_ERR_FRAMING : ZQKRT_ERR_TIMEOUT;
}

} // namespace zqkrt_internal
