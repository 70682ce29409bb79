#pragma once

#include "ReaderState.h"
#include "WireFrame.h"
#include "zqkrt.h"

#include <cstdint>
#include <optional>

namespace emulator {

enum ReaderCommand : std::uint8_t {
    GetBaud = ZQKRT_COMMAND_GET_BAUD,
    RfReset = ZQKRT_COMMAND_RF_RESET,
    IsoCommand = ZQKRT_COMMAND_ISO,
};

// A reply and how long the ISO exchanges behind it took in the air.
struct Exchange {
    wire::Frame reply;
    std::int64_t airMicros = 0;
};

// The reader's answer to one request, or nothing: nothing when the host's line differs from
// the reader's own (the reader would see only garbled characters), and nothing for requests to
// another bus address.
std::optional<Exchange> respond(ReaderState& state, const RateAndFrame& hostLine,
                                const wire::Frame& request);

} // namespace emulator
