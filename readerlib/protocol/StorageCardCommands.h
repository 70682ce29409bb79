#pragma once

#include <cstdint>

// The PC/SC storage-card commands and status words, shared by the reader library that sends them
// and the reader emulator that answers them.
namespace storage_card {

constexpr std::uint8_t kClass = 0xFF;
constexpr std::uint8_t kGetData = 0xCA;
constexpr std::uint8_t kReadBinary = 0xB0;
constexpr std::uint8_t kUpdateBinary = 0xD6;

namespace sw {
constexpr std::uint16_t kOk = 0x9000;
constexpr std::uint16_t kWrongLength = 0x6700;
constexpr std::uint16_t kWrongLe = 0x6C00; // low byte: the length that would be right

// Whether the status word asks again with the length in its low byte.
constexpr bool asksForLength(std::uint16_t statusWord) {
    return (statusWord & 0xFF00) == kWrongLe;
}
constexpr std::uint16_t kSecurity = 0x6982;
constexpr std::uint16_t kNotSupported = 0x6A81;
constexpr std::uint16_t kNoSuchBlock = 0x6A82;
constexpr std::uint16_t kWrongP1P2 = 0x6A86;
constexpr std::uint16_t kUnknownInstruction = 0x6D00;
constexpr std::uint16_t kUnknownClass = 0x6E00;
} // namespace sw

} // namespace storage_card
