#pragma once

#include "WireFrame.h"

#include <cstdint>

namespace zqkrt_internal {

// Sends command with data to busAddress over the port of the reader readerHandle and waits for
// the reply, logging both when the reader keeps a protocol log. Returns ZQKRT_OK with the reply,
// or a negative ZQKRT status.
std::int32_t runReaderCommand(std::int32_t readerHandle, std::uint8_t busAddress,
                              std::uint8_t command, const wire::Bytes& data, wire::Frame& reply);

} // namespace zqkrt_internal
