#pragma once

#include <cstddef>
#include <cstdint>

namespace wire {

// Bits on the line for one character: start bit, 8 data bits, parity if any, stop bits (at
// least one).
int bitsPerCharacter(bool parity, int stopBits);

// Time to send count characters at baud, in microseconds, rounded up; saturates instead of
// overflowing.
std::int64_t lineTimeMicros(std::size_t count, std::int32_t baud, int bitsPerCharacter);

// A gap longer than this inside a frame ends it: four character times, at least 5 ms.
int interByteTimeoutMs(std::int32_t baud, int bitsPerCharacter);

// How long the host waits for a reply: the line time of the request and of the longest reply,
// plus the reader's working time allowance (20 ms), plus the port's "TimeOut" parameter (a
// negative one counts as 0). requestBytes counts the whole request frame. Rounded up to ms.
int replyTimeoutMs(std::size_t requestBytes, std::int32_t baud, int bitsPerCharacter,
                   int timeOutParameterMs);

// The longest quiet time "TxDelayTime" can ask for before a request, so that a bad setting
// cannot stall the line.
constexpr int kMaxTxDelayMs = 1000;

// How long the line stays quiet before each request: with "TxTimeControl" on, "TxDelayTime"
// held to 0..kMaxTxDelayMs; with it off, 0.
int txPauseMs(bool timeControl, int delayMs);

} // namespace wire
