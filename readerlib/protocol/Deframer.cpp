#include "Deframer.h"

#include <algorithm>

namespace wire {

void Deframer::feed(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0)
        return;
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    // Garbage in front of a start byte can never become a frame: keep the buffer to candidates.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(findStart(0)));
}

std::optional<Frame> Deframer::next() {
    std::optional<Frame> frame;
    std::size_t start = findStart(0);
    while (buffer_.size() - start >= 2) {
        const std::uint8_t* candidate = buffer_.data() + start;
        const std::size_t length = candidate[1];
        if (length < minimumLength()) {
            ++lengthErrors_;
            start = findStart(start + 1);
            continue;
        }
        if (buffer_.size() - start < length + kOverhead)
            break;
        const std::uint16_t sent =
            static_cast<std::uint16_t>(candidate[length + 2] | (candidate[length + 3] << 8));
        if (crc16(candidate + 1, length + 1) != sent) {
            ++crcErrors_;
            start = findStart(start + 1);
            continue;
        }
        frame = decode(candidate, length);
        start = findStart(start + length + kOverhead);
        break;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start));
    return frame;
}

void Deframer::reset() {
    buffer_.clear();
}

void Deframer::dropStartByte() {
    if (buffer_.empty())
        return;
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(findStart(1)));
}

bool Deframer::hasPartialFrame() const {
    return !buffer_.empty();
}

std::size_t Deframer::minimumLength() const {
    return kind_ == FrameKind::Reply ? 3 : 2;
}

std::size_t Deframer::findStart(std::size_t from) const {
    const auto it = std::find(buffer_.begin() + static_cast<std::ptrdiff_t>(from), buffer_.end(),
                              kStartOfFrame);
    return static_cast<std::size_t>(it - buffer_.begin());
}

Frame Deframer::decode(const std::uint8_t* candidate, std::size_t length) const {
    // candidate: SOF LEN ADDR CMD [STATUS] DATA... ; LEN covers ADDR to the end of DATA.
    Frame frame;
    frame.address = candidate[2];
    frame.command = candidate[3];
    std::size_t dataStart = 4;
    if (kind_ == FrameKind::Reply)
        frame.status = candidate[dataStart++];
    frame.data.assign(candidate + dataStart, candidate + 2 + length);
    return frame;
}

} // namespace wire
