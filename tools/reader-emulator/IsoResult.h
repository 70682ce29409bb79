#pragma once

#include "WireFrame.h"

#include <cstdint>

namespace emulator {

// Reader statuses that come without reply data.
enum BareStatus : std::uint8_t {
    UnknownCommand = 0x01,
    BadRequest = 0x02,
    ReadOnlyMemory = 0x03,
};

// ISO 15693 error code in a transponder's error reply.
constexpr std::uint8_t kBlockNotAvailable = 0x10;

// What an ISO request gave: the reader's status, the reply data and the time spent in the air.
struct IsoResult {
    std::uint8_t status = 0x00;
    wire::Bytes data;
    std::int64_t airMicros = 0;
};

} // namespace emulator
