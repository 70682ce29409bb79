#pragma once

#include "WireFrame.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace emulator {

// The virtual reader driver's messages on its TCP link: a 2-byte big-endian length, then that
// many bytes. Cuts them out of a byte stream however it was split or merged into reads.
class VpcdDeframer {
public:
    explicit VpcdDeframer(std::size_t maxLength) : maxLength_(maxLength) {}

    void feed(const std::uint8_t* bytes, std::size_t count);
    // The next whole message; nullopt when none is complete yet, or when the stream is broken.
    std::optional<wire::Bytes> next();
    // A length of 0 or over the limit came: nothing after it can be trusted.
    bool broken() const { return broken_; }
    void reset();

private:
    std::size_t maxLength_;
    wire::Bytes buffer_;
    bool broken_ = false;
};

// One message with its length in front; nullopt when it is too long for the length field.
std::optional<wire::Bytes> vpcdFrame(const wire::Bytes& message);

} // namespace emulator
