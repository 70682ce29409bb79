#pragma once

#include "IsoLayout.h"
#include "WireFrame.h"
#include "zqkrt.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace emulator {

using wire::Bytes;

constexpr std::size_t kUidLength = ZQKRT_SERIAL_NUMBER_LENGTH;
constexpr std::uint8_t kUidPrefix = 0xE0;
// What Get System Information can tell: block counts and sizes are sent less one, in a byte
// and in five bits.
constexpr int kMaxBlockCount = 256;
constexpr int kMaxBlockSize = static_cast<int>(iso::kMaxBlockSize);
constexpr std::size_t kCustomEntryCount = 4;

// A simulated ISO 15693 transponder. The UID is kept host order (0xE0, manufacturer, serial);
// it is turned to air order only on the wire.
struct Transponder {
    Bytes uid;
    std::uint8_t type = 0x00;
    std::uint8_t dsfid = 0x00;
    std::uint8_t afi = 0x00;
    std::uint8_t icReference = 0x01;
    std::uint8_t blockSize = 4;
    Bytes memory; // block i at offset i x blockSize
    std::array<Bytes, kCustomEntryCount> customEntries;
    bool readOnly = false;

    int blockCount() const { return static_cast<int>(memory.size() / blockSize); }
    // The inventory slot it answers in among 16: the low nibble of the UID's low byte.
    int slot() const { return uid[kUidLength - 1] & 0x0F; }
};

// A blank transponder; nullopt unless the UID is 8 bytes starting with 0xE0, the block count
// 1..kMaxBlockCount and the block size 1..kMaxBlockSize.
std::optional<Transponder> makeTransponder(const Bytes& uid, std::uint8_t type, int blockCount,
                                           int blockSize);

} // namespace emulator
