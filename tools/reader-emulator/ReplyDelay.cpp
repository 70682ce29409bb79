#include "ReplyDelay.h"

#include "LineTiming.h"

namespace emulator {

std::int64_t replyDelayMicros(std::size_t requestBytes, std::size_t replyBytes,
                              const RateAndFrame& line, std::int64_t airMicros) {
    const int bits = bitsPerCharacter(line.frame);
    return wire::lineTimeMicros(requestBytes, line.baud, bits) + airMicros +
           wire::lineTimeMicros(replyBytes, line.baud, bits);
}

} // namespace emulator
