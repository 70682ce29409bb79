#include "ReplyResult.h"

#include "IsoLayout.h"
#include "zqkrt.h"

#include <algorithm>
#include <optional>

namespace zqkrt_internal {
namespace {

constexpr std::uint8_t kLowestRate = 7; // rate index of 1200 baud

static_assert(ZQKRT_RESPONSE_BUFFER_SIZE == iso::kReplyBufferSize);

} // namespace

std::int32_t getBaudResult(const wire::Frame& reply) {
    if (reply.status == 0 && (reply.data.size() != 1 || reply.data[0] > kLowestRate)) {
        return ZQKRT_ERR_FRAMING;
    }
    return reply.status;
}

std::int32_t rfResetResult(const wire::Frame& reply) {
    if (!reply.data.empty()) {
        return ZQKRT_ERR_FRAMING;
    }
    return reply.status;
}

std::int32_t isoCommandResult(std::uint8_t isoCommand, const wire::Frame& reply,
                              std::uint8_t* response, std::int32_t& responseLength) {
    responseLength = 0;
    if (!ZQKRT_StatusCarriesReply(reply.status)) {
        return reply.status;
    }
    const std::optional<wire::Bytes> hostReply = iso::wireReplyToHost(isoCommand, reply.data);
    if (!hostReply) {
        return ZQKRT_ERR_FRAMING;
    }
    if (hostReply->size() > ZQKRT_RESPONSE_BUFFER_SIZE) {
        return ZQKRT_ERR_BUFFER_TOO_SMALL;
    }
    std::copy(hostReply->begin(), hostReply->end(), response);
    responseLength = static_cast<std::int32_t>(hostReply->size());
    return reply.status;
}

} // namespace zqkrt_internal
