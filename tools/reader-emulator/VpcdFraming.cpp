#include "VpcdFraming.h"

namespace emulator {
namespace {

constexpr std::size_t kLengthBytes = 2;
constexpr std::size_t kMaxFrameLength = 0xFFFF;

} // namespace

void VpcdDeframer::feed(const std::uint8_t* bytes, std::size_t count) {
    if (!broken_) {
        buffer_.insert(buffer_.end(), bytes, bytes + count);
    }
}

std::optional<wire::Bytes> VpcdDeframer::next() {
    if (broken_ || buffer_.size() < kLengthBytes) {
        return std::nullopt;
    }
    const std::size_t length = std::size_t{buffer_[0]} << 8 | buffer_[1];
    if (length == 0 || length > maxLength_) {
        broken_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    if (buffer_.size() < kLengthBytes + length) {
        return std::nullopt;
    }
    const auto first = buffer_.begin() + kLengthBytes;
    wire::Bytes message(first, first + static_cast<std::ptrdiff_t>(length));
    buffer_.erase(buffer_.begin(), first + static_cast<std::ptrdiff_t>(length));
    return message;
}

void VpcdDeframer::reset() {
    buffer_.clear();
    broken_ = false;
}

std::optional<wire::Bytes> vpcdFrame(const wire::Bytes& message) {
    if (message.size() > kMaxFrameLength) {
        return std::nullopt;
    }
    wire::Bytes frame{static_cast<std::uint8_t>(message.size() >> 8),
                      static_cast<std::uint8_t>(message.size() & 0xFF)};
    frame.insert(frame.end(), message.begin(), message.end());
    return frame;
}

} // namespace emulator
