#pragma once

#include "RateAndFrame.h"

#include <cstddef>
#include <cstdint>

namespace emulator {

// When a real reader's reply would be complete, counted from the request's first byte: the
// request on the line, the ISO exchanges in the air, and the reply on the line.
std::int64_t replyDelayMicros(std::size_t requestBytes, std::size_t replyBytes,
                              const RateAndFrame& line, std::int64_t airMicros);

} // namespace emulator
