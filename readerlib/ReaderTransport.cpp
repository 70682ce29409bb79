#include "ReaderTransport.h"

#include "LineTiming.h"
#include "PortRegistry.h"
#include "ReplyCollector.h"
#include "zqkrt.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <thread>

namespace zqkrt_internal {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

struct Timing {
    milliseconds quietBefore;
    microseconds requestLine;
    milliseconds replyTimeout;
    milliseconds interByteGap;
};

Timing timingOf(const zqcom_internal::PortParameters& parameters, std::size_t requestBytes) {
    const int bits = wire::bitsPerCharacter(parameters.line.parity != platform::Parity::None,
                                            parameters.line.stopBits);
    return {milliseconds(wire::txPauseMs(parameters.txTimeControl, parameters.txDelayMs)),
            microseconds(wire::lineTimeMicros(requestBytes, parameters.line.baud, bits)),
            milliseconds(wire::replyTimeoutMs(requestBytes, parameters.line.baud, bits,
                                              parameters.timeOutMs)),
            milliseconds(wire::interByteTimeoutMs(parameters.line.baud, bits))};
}

// A cancel from another thread is seen within this long: no wait on the line is longer.
constexpr milliseconds kCancelSlice{20};

int millisecondsUntil(Clock::time_point then) {
    const auto left = std::chrono::ceil<milliseconds>(then - Clock::now());
    return static_cast<int>(std::clamp<milliseconds::rep>(left.count(), 0, kCancelSlice.count()));
}

// The count of cancels when the exchange took the port; any later one ends it.
class CancelWatch {
public:
    explicit CancelWatch(const zqcom_internal::CancelCount& cancels)
        : cancels_(cancels), start_(cancels.load()) {}
    bool cancelled() const { return cancels_.load() != start_; }

private:
    const zqcom_internal::CancelCount& cancels_;
    const std::uint32_t start_;
};

// Holds the request back until the line has been quiet for the pause since its last byte, for
// readers behind a bus converter that needs time to turn. Bytes waiting or arriving meanwhile
// belong to no request: they are dropped and count as line activity when seen. The wait ends
// after twice the pause in all, so that a chattering line cannot hold the request for good.
// Returns false when cancelled.
bool awaitQuietLine(platform::SerialPort& port, milliseconds pause, Clock::time_point& lastByte,
                    const CancelWatch& cancel) {
    if (pause <= milliseconds(0)) {
        return true;
    }
    const Clock::time_point giveUp = Clock::now() + 2 * pause;
    std::array<std::uint8_t, 256> dropped{};
    for (;;) {
        if (cancel.cancelled()) {
            return false;
        }
        // Polled even when the pause is over: bytes already waiting count too.
        const Clock::time_point quietUntil = std::min(lastByte + pause, giveUp);
        if (Clock::now() >= giveUp) {
            return true;
        }
        if (!port.waitReadable(millisecondsUntil(quietUntil))) {
            if (Clock::now() + kCancelSlice < quietUntil) {
                continue;
            }
            // The wait counts whole milliseconds and may end just short of them.
            std::this_thread::sleep_until(quietUntil);
            return true;
        }
        // A line that fails here fails the write too, which reports it.
        if (port.read(dropped.data(), dropped.size()) <= 0) {
            return true;
        }
        lastByte = Clock::now();
    }
}

std::int32_t awaitReply(platform::SerialPort& port, const Timing& timing, Clock::time_point start,
                        ReplyCollector& collector, Clock::time_point& lastByte,
                        const CancelWatch& cancel) {
    const Clock::time_point deadline = start + timing.replyTimeout;
    std::array<std::uint8_t, 512> buffer{};
    while (!collector.reply()) {
        if (cancel.cancelled()) {
            return ZQKRT_ERR_CANCELLED;
        }
        const Clock::time_point now = Clock::now();
        if (collector.hasPartialFrame() && now - lastByte > timing.interByteGap) {
            collector.dropPartialFrame();
            continue;
        }
        if (now >= deadline) {
            return collector.failureStatus();
        }
        Clock::time_point waitUntil = deadline;
        if (collector.hasPartialFrame()) {
            waitUntil = std::min(waitUntil, lastByte + timing.interByteGap + milliseconds(1));
        }
        const bool readable = port.waitReadable(millisecondsUntil(waitUntil));
        const long received = port.read(buffer.data(), buffer.size());
        // A line that polls readable yet gives nothing, or fails to read, has hung up.
        if (received < 0 || (readable && received == 0)) {
            return ZQKRT_ERR_WRITE_FAILED;
        }
        if (received > 0) {
            lastByte = Clock::now();
            collector.feed(buffer.data(), static_cast<std::size_t>(received));
        }
    }
    return ZQKRT_OK;
}

} // namespace

std::int32_t exchangeFrames(std::int32_t portHandle, const wire::Frame& request, wire::Frame& reply,
                            const FrameTrace& trace) {
    const std::optional<wire::Bytes> requestBytes = wire::encode(wire::FrameKind::Request, request);
    if (!requestBytes) {
        return ZQKRT_ERR_BAD_ARGUMENT;
    }
    auto frameSeen = [&trace](const wire::Frame& frame) {
        if (const std::optional<wire::Bytes> bytes = wire::encode(wire::FrameKind::Reply, frame)) {
            trace(FrameDirection::Received, *bytes);
        }
    };
    ReplyCollector collector(request.address, request.command,
                             trace ? ReplyCollector::FrameSeen(frameSeen) : nullptr);
    std::int32_t status = ZQKRT_ERR_PORT_NOT_OPEN;
    zqcom_internal::withOpenPort(portHandle, [&](platform::SerialPort& port,
                                                 const zqcom_internal::PortParameters& parameters,
                                                 zqcom_internal::LineActivity& activity,
                                                 const zqcom_internal::CancelCount& cancels) {
        const CancelWatch cancel(cancels);
        const Timing timing = timingOf(parameters, requestBytes->size());
        if (!awaitQuietLine(port, timing.quietBefore, activity.lastByte, cancel)) {
            status = ZQKRT_ERR_CANCELLED;
            return;
        }
        port.purgeReceive();
        const Clock::time_point start = Clock::now();
        if (port.write(requestBytes->data(), requestBytes->size()) !=
            static_cast<long>(requestBytes->size())) {
            status = ZQKRT_ERR_WRITE_FAILED;
            return;
        }
        // The driver may still be sending when the write returns.
        activity.lastByte = std::max(Clock::now(), start + timing.requestLine);
        if (trace) {
            trace(FrameDirection::Sent, *requestBytes);
        }
        status = awaitReply(port, timing, start, collector, activity.lastByte, cancel);
    });
    if (status == ZQKRT_OK) {
        reply = *collector.reply();
    }
    return status;
}

} // namespace zqkrt_internal
