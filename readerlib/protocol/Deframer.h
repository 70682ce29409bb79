#pragma once

#include "WireFrame.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace wire {

// Finds frames of one kind in a byte stream that may be split anywhere, hold several frames at
// once, or carry garbage. After a bad start, length or CRC it drops one byte and looks again.
// Once next() has given nullopt, at most one partial frame (under kMaxLength + kOverhead bytes)
// is held.
class Deframer {
public:
    explicit Deframer(FrameKind kind) : kind_(kind) {}

    void feed(const std::uint8_t* bytes, std::size_t count);
    // The next complete frame, if one is there.
    std::optional<Frame> next();
    // Forgets everything held, for an inter-byte time-out (drain next() first) or when no more
    // frames are wanted.
    void reset();
    // For an inter-byte time-out when bytes behind the partial frame may hold frames: drops the
    // partial frame's start byte only, as after a bad CRC. Drain next() before and after.
    void dropStartByte();

    // True when bytes of a begun frame wait for the rest (start the inter-byte timer then).
    bool hasPartialFrame() const;
    std::size_t bufferedBytes() const { return buffer_.size(); }
    // How many candidate frames were dropped for a bad CRC, and for a bad length, so far.
    std::size_t crcErrors() const { return crcErrors_; }
    std::size_t lengthErrors() const { return lengthErrors_; }

private:
    std::size_t minimumLength() const;
    std::size_t findStart(std::size_t from) const;
    Frame decode(const std::uint8_t* candidate, std::size_t length) const;

    FrameKind kind_;
    Bytes buffer_;
    std::size_t crcErrors_ = 0;
    std::size_t lengthErrors_ = 0;
};

} // namespace wire
