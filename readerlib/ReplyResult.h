#pragma once

#include "WireFrame.h"

#include <cstdint>

// What the reader commands' C functions give for a reply frame, apart from the port so that
// any frame can be put through it.
namespace zqkrt_internal {

// The reader's status, or ZQKRT_ERR_FRAMING when a status 0 comes without one known rate.
std::int32_t getBaudResult(const wire::Frame& reply);

// The reader's status, or ZQKRT_ERR_FRAMING when the reply carries data.
std::int32_t rfResetResult(const wire::Frame& reply);

// The reader's status, with the reply to the ISO command isoCommand in host layout copied into
// response (ZQKRT_RESPONSE_BUFFER_SIZE bytes) and its length into responseLength when the
// status comes with a reply; otherwise responseLength is 0 and response untouched, also for
// ZQKRT_ERR_FRAMING (data malformed for the command) and ZQKRT_ERR_BUFFER_TOO_SMALL.
std::int32_t isoCommandResult(std::uint8_t isoCommand, const wire::Frame& reply,
                              std::uint8_t* response, std::int32_t& responseLength);

} // namespace zqkrt_internal
