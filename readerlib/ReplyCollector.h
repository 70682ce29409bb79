#pragma once

#include "Deframer.h"
#include "WireFrame.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace zqkrt_internal {

// Picks the reply to one request out of what the line brings, and tells why none came when the
// wait ends without one. A reply comes from the addressed reader (any reader for the broadcast
// address) and repeats the request's command; replies of other readers are passed over.
class ReplyCollector {
public:
    using FrameSeen = std::function<void(const wire::Frame&)>;

    // frameSeen, when given, hears of every well-formed frame that arrives.
    ReplyCollector(std::uint8_t address, std::uint8_t command, FrameSeen frameSeen = {});

    void feed(const std::uint8_t* bytes, std::size_t count);
    const std::optional<wire::Frame>& reply() const { return reply_; }

    bool hasPartialFrame() const { return deframer_.hasPartialFrame(); }
    // Under wire::kMaxLength + wire::kOverhead after every feed and drop; 0 once the reply is in.
    std::size_t bufferedBytes() const { return deframer_.bufferedBytes(); }
    // For the inter-byte time-out: drops the partial frame's start byte only and looks for
    // frames again in the bytes behind it, as after a bad CRC, so that a reply hidden behind a
    // stray start byte in noise is still found.
    void dropPartialFrame();

    // The ZQKRT status when the reply time-out passes without a reply: a CRC error when a frame
    // with a bad CRC arrived, else a framing error when a frame of the addressed reader carried
    // another command, a length was out of range or a frame broke off, else a time-out.
    std::int32_t failureStatus() const;

private:
    void takeFrames(bool noteFaults);
    void take(const wire::Frame& frame, bool noteFaults);

    std::uint8_t address_;
    std::uint8_t command_;
    FrameSeen frameSeen_;
    wire::Deframer deframer_{wire::FrameKind::Reply};
    bool badCrcSeen_ = false;
    bool badFramingSeen_ = false;
    std::optional<wire::Frame> reply_;
};

} // namespace zqkrt_internal
