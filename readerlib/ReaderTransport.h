#pragma once

#include "ProtocolLog.h"
#include "WireFrame.h"

#include <cstdint>
#include <functional>

namespace zqkrt_internal {

// Hears of each frame on the line: the request as sent, and every well-formed frame received.
using FrameTrace = std::function<void(FrameDirection, const wire::Bytes&)>;

// One request and its reply over the open port portHandle, which stays held meanwhile: keeps
// the line quiet as "TxTimeControl" and "TxDelayTime" ask, empties the receive queue, sends the
// request and waits for the reply no longer than the reply time-out of the port's rate, frame
// and "TimeOut". Returns ZQKRT_OK with the reply, or a negative ZQKRT status.
std::int32_t exchangeFrames(std::int32_t portHandle, const wire::Frame& request, wire::Frame& reply,
                            const FrameTrace& trace);

} // namespace zqkrt_internal
