#include "WireFrame.h"

namespace wire {

std::uint16_t crc16(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::optional<Bytes> encode(FrameKind kind, const Frame& frame) {
    const bool reply = kind == FrameKind::Reply;
    const std::size_t maxData = reply ? kMaxReplyData : kMaxRequestData;
    if (frame.data.size() > maxData)
        return std::nullopt;

    const std::size_t length = (reply ? 3 : 2) + frame.data.size();
    Bytes bytes;
    bytes.reserve(length + kOverhead);
    bytes.push_back(kStartOfFrame);
    bytes.push_back(static_cast<std::uint8_t>(length));
    bytes.push_back(frame.address);
    bytes.push_back(frame.command);
    if (reply)
        bytes.push_back(frame.status);
    bytes.insert(bytes.end(), frame.data.begin(), frame.data.end());

    // The start byte stays outside the CRC, so a receiver can check a candidate without it.
    const std::uint16_t crc = crc16(bytes.data() + 1, bytes.size() - 1);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

} // namespace wire
