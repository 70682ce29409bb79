#include "LineTiming.h"

#include "WireFrame.h"

#include <algorithm>
#include <limits>

namespace wire {

namespace {

constexpr std::size_t kLongestFrame = kMaxLength + kOverhead;
constexpr int kReaderWorkingMs = 20;
constexpr int kMinimumInterByteMs = 5;
constexpr int kInterByteCharacters = 4;

std::int64_t ceilDiv(std::int64_t numerator, std::int64_t denominator) {
    return numerator / denominator + (numerator % denominator != 0 ? 1 : 0);
}

int saturatedInt(std::int64_t value) {
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

int bitsPerCharacter(bool parity, int stopBits) {
    return 1 + 8 + (parity ? 1 : 0) + std::max(stopBits, 1);
}

std::int64_t lineTimeMicros(std::size_t count, std::int32_t baud, int bitsPerCharacter) {
    // A rate or width from a broken setting must not divide by zero or run backwards.
    const std::int64_t rate = std::max<std::int32_t>(baud, 1);
    const std::int64_t bits = std::max(bitsPerCharacter, 1);
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / (bits * 1'000'000);
    if (count > static_cast<std::size_t>(limit))
        return std::numeric_limits<std::int64_t>::max();
    return ceilDiv(static_cast<std::int64_t>(count) * bits * 1'000'000, rate);
}

int interByteTimeoutMs(std::int32_t baud, int bitsPerCharacter) {
    const std::int64_t gapMs =
        ceilDiv(lineTimeMicros(kInterByteCharacters, baud, bitsPerCharacter), 1000);
    return std::max(kMinimumInterByteMs, saturatedInt(gapMs));
}

int replyTimeoutMs(std::size_t requestBytes, std::int32_t baud, int bitsPerCharacter,
                   int timeOutParameterMs) {
    const std::int64_t request = lineTimeMicros(requestBytes, baud, bitsPerCharacter);
    const std::int64_t reply = lineTimeMicros(kLongestFrame, baud, bitsPerCharacter);
    const std::int64_t limit = std::numeric_limits<int>::max();
    if (request >= limit * 1000 || reply >= limit * 1000)
        return std::numeric_limits<int>::max();
    const std::int64_t total =
        ceilDiv(request + reply, 1000) + kReaderWorkingMs + std::max(timeOutParameterMs, 0);
    return saturatedInt(total);
}

int txPauseMs(bool timeControl, int delayMs) {
    return timeControl ? std::clamp(delayMs, 0, kMaxTxDelayMs) : 0;
}

} // namespace wire
