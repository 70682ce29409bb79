#include "ReplyCollector.h"

#include "zqkrt.h"

#include <utility>

namespace zqkrt_internal {

ReplyCollector::ReplyCollector(std::uint8_t address, std::uint8_t command, FrameSeen frameSeen)
    : address_(address), command_(command), frameSeen_(std::move(frameSeen)) {}

void ReplyCollector::feed(const std::uint8_t* bytes, std::size_t count) {
    if (reply_) {
        return;
    }
    deframer_.feed(bytes, count);
    takeFrames(true);
}

// The reply ends the collection: what is behind it is neither heard of nor kept.
void ReplyCollector::takeFrames(bool noteFaults) {
    const std::size_t crcErrors = deframer_.crcErrors();
    const std::size_t lengthErrors = deframer_.lengthErrors();
    while (!reply_) {
        const std::optional<wire::Frame> frame = deframer_.next();
        if (!frame) {
            break;
        }
        take(*frame, noteFaults);
    }
    if (reply_) {
        deframer_.reset();
    }
    if (noteFaults) {
        badCrcSeen_ = badCrcSeen_ || deframer_.crcErrors() != crcErrors;
        badFramingSeen_ = badFramingSeen_ || deframer_.lengthErrors() != lengthErrors;
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
    if (reply_ || !deframer_.hasPartialFrame()) {
        return;
    }
    badFramingSeen_ = true;
    deframer_.dropStartByte();
    // What turns up behind the dropped start byte lay inside a broken frame already counted, so
    // its faults are not noted again.
    takeFrames(false);
}

std::int32_t ReplyCollector::failureStatus() const {
    if (badCrcSeen_) {
        return ZQKRT_ERR_CRC;
    }
    return badFramingSeen_ ? ZQKRT_ERR_FRAMING : ZQKRT_ERR_TIMEOUT;
}

} // namespace zqkrt_internal
