#pragma once

#include "WireFrame.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace wire {

// Finds frames of one kind in a byte stream that may be split anywhere, hold several frames at
// once, or carry garbage. After a bad start, length or CRC it drops one byte and looks again.
class Deframer {
public:
    explicit Deframer(FrameKind kind) : kind_(kind) {}

    void feed(const std::uint8_t* bytes, std::size_t count);
    // The next complete frame, if one is there.
    std::optional<Frame> next();
    // Forgets a partial frame, for an inter-byte time-out.
    void reset();

    bool hasPartialFrame() const;
    // How many candidate frames were dropped for a bad CRC, and for a bad length, so far.
    std::size_t crcErrors() const { return crcErrors_; }
    std::size_t lengthErrors() const { return lengthErrors_; }

private:
    FrameKind kind_;
    Bytes buffer_;
    std::size_t crcErrors_ = 0;
    std::size_t lengthErrors_ = 0;
};

} // namespace wire
