#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Frames between the host and the reader (docs/wire-protocol.md):
//   request: SOF LEN ADDR CMD DATA... CRC_LO CRC_HI
//   reply:   SOF LEN ADDR CMD STATUS DATA... CRC_LO CRC_HI
// LEN counts the bytes from ADDR to the end of DATA; the CRC covers LEN to the end of DATA.
namespace wire {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStartOfFrame = 0xA5;
constexpr std::uint8_t kBroadcastAddress = 255;
constexpr std::size_t kMaxLength = 255;
constexpr std::size_t kMaxRequestData = kMaxLength - 2;
constexpr std::size_t kMaxReplyData = kMaxLength - 3;
constexpr std::size_t kOverhead = 4; // SOF, LEN, CRC_LO, CRC_HI

enum class FrameKind { Request, Reply };

struct Frame {
    std::uint8_t address = kBroadcastAddress;
    std::uint8_t command = 0;
    std::uint8_t status = 0; // replies only
    Bytes data;
};

// CRC-16 with polynomial 0x1021 reflected (0x8408), initial value 0xFFFF, no final XOR.
std::uint16_t crc16(const std::uint8_t* bytes, std::size_t count);

// The frame's bytes; nullopt when its data is too long for its kind.
std::optional<Bytes> encode(FrameKind kind, const Frame& frame);

} // namespace wire
