#include "CardExchange.h"

#include "BaudRates.h"
#include "CardApdu.h"
#include "CardStatus.h"
#include "IsoLayout.h"
#include "StorageCardCommands.h"
#include "zqkrt.h"

#include <algorithm>
#include <optional>
#include <winscard.h>

namespace zqkrt_internal {
namespace {

using card::Bytes;
using readerlib::CardAccess;
using readerlib::CardOutcome;

constexpr std::int32_t kUnknownCommand = 0x01;
constexpr std::int32_t kBadRequest = 0x02;
constexpr std::size_t kHeaderLength = 2; // code, mode
constexpr std::uint8_t kModeBitsInUse = 0x01;
constexpr std::size_t kParametersAt = kHeaderLength + iso::kUidLength;
constexpr std::size_t kLastBlock = 255;
constexpr std::uint8_t kNoFlags = 0x00;

CardOutcome bare(std::int32_t status) {
    return {status, {}};
}

bool blockNotAvailable(const CardOutcome& outcome) {
    return outcome.status == ZQKRT_STATUS_TRANSPONDER_ERROR && outcome.data.size() == 2 &&
           outcome.data[1] == readerlib::kBlockNotAvailable;
}

std::uint8_t rateIndex(std::int32_t baud) {
    const BaudRate* rate = findBaudRate(baud);
    return rate == nullptr ? 0 : static_cast<std::uint8_t>(rate - kBaudRates.data());
}

class CardSession {
public:
    CardSession(zqcom_internal::CardChannel& channel, std::chrono::milliseconds timeout,
                const FrameTrace& trace)
        : channel_(channel), timeout_(timeout), trace_(trace) {}

    CardOutcome readerThere() { return readerlib::outcomeOfCode(channel_.checkReader(timeout_)); }

    void resetField() { channel_.releaseCard(); }

    // The serial number of the card presented, air order.
    CardOutcome presentSerial(Bytes& serial) {
        std::optional<card::CardReply> answer;
        PcscCode code = channel_.connectCard(timeout_);
        if (code == SCARD_S_SUCCESS) {
            code = send(card::getDataApdu(), answer);
        }
        // The card of the last connection was taken away or reset: once more with the one there.
        if (readerlib::cardConnectionLost(code)) {
            channel_.releaseCard();
            code = channel_.connectCard(timeout_);
            if (code == SCARD_S_SUCCESS) {
                code = send(card::getDataApdu(), answer);
            }
        }
        if (code != SCARD_S_SUCCESS) {
            return readerlib::outcomeOfCode(code);
        }
        if (!answer) {
            return bare(ZQKRT_ERR_FRAMING);
        }
        CardOutcome outcome =
            readerlib::outcomeOfStatusWord(answer->statusWord, CardAccess::Identify);
        if (outcome.status != ZQKRT_OK) {
            return outcome;
        }
        const std::optional<Bytes> found = card::isoSerialNumber(answer->data);
        if (!found) {
            return bare(ZQKRT_STATUS_NO_TRANSPONDER);
        }
        serial = *found;
        return outcome;
    }

    CardOutcome readBlock(std::uint8_t block, Bytes& data) {
        std::optional<card::CardReply> answer;
        PcscCode code = send(card::readBinaryApdu(block, 0), answer);
        // The card wants the block's exact length: asked again with it.
        if (code == SCARD_S_SUCCESS && answer &&
            storage_card::sw::asksForLength(answer->statusWord)) {
            code = send(card::readBinaryApdu(block, answer->statusWord & 0xFF), answer);
        }
        return finish(code, answer, CardAccess::Read, data);
    }

    CardOutcome writeBlock(std::uint8_t block, const Bytes& data) {
        const std::optional<Bytes> apdu = card::updateBinaryApdu(block, data);
        if (!apdu) {
            return bare(kBadRequest);
        }
        std::optional<card::CardReply> answer;
        Bytes unused;
        return finish(send(*apdu, answer), answer, CardAccess::Write, unused);
    }

private:
    using PcscCode = zqcom_internal::PcscCode;

    PcscCode send(const Bytes& apdu, std::optional<card::CardReply>& answer) {
        if (trace_) {
            trace_(FrameDirection::Sent, apdu);
        }
        Bytes received;
        const PcscCode code = channel_.transmit(apdu, received);
        if (code == SCARD_S_SUCCESS && trace_) {
            trace_(FrameDirection::Received, received);
        }
        answer = card::splitReply(received);
        return code;
    }

    static CardOutcome finish(PcscCode code, const std::optional<card::CardReply>& answer,
                              CardAccess access, Bytes& data) {
        if (code != SCARD_S_SUCCESS) {
            return readerlib::outcomeOfCode(code);
        }
        if (!answer) {
            return bare(ZQKRT_ERR_FRAMING);
        }
        CardOutcome outcome = readerlib::outcomeOfStatusWord(answer->statusWord, access);
        if (outcome.status == ZQKRT_OK) {
            data = answer->data;
        }
        return outcome;
    }

    zqcom_internal::CardChannel& channel_;
    std::chrono::milliseconds timeout_;
    const FrameTrace& trace_;
};

CardOutcome inventory(CardSession& session, const Bytes& request) {
    if (request.size() != kHeaderLength) {
        return bare(kBadRequest);
    }
    Bytes serial;
    const CardOutcome outcome = session.presentSerial(serial);
    if (outcome.status == ZQKRT_STATUS_NO_TRANSPONDER) {
        return {outcome.status, card::inventoryReply(std::nullopt)};
    }
    if (outcome.status != ZQKRT_OK) {
        return outcome;
    }
    return {ZQKRT_OK, card::inventoryReply(serial)};
}

// The card presented must be the transponder the request names, as in the air.
CardOutcome addressedCard(CardSession& session, const Bytes& request) {
    Bytes serial;
    const CardOutcome outcome = session.presentSerial(serial);
    if (outcome.status != ZQKRT_OK) {
        return outcome.status == ZQKRT_STATUS_NO_TRANSPONDER ? bare(outcome.status) : outcome;
    }
    const bool named = std::equal(serial.begin(), serial.end(), request.begin() + kHeaderLength);
    return named ? outcome : bare(ZQKRT_STATUS_NO_TRANSPONDER);
}

CardOutcome readBlocks(CardSession& session, const Bytes& request) {
    if (request.size() != kParametersAt + 2) {
        return bare(kBadRequest);
    }
    const std::size_t first = request[kParametersAt];
    const std::size_t count = request[kParametersAt + 1];
    if (count == 0) {
        return bare(kBadRequest);
    }
    if (CardOutcome outcome = addressedCard(session, request); outcome.status != ZQKRT_OK) {
        return outcome;
    }
    std::vector<Bytes> blocks;
    for (std::size_t block = first; block < first + count && block <= kLastBlock; ++block) {
        Bytes data;
        CardOutcome outcome = session.readBlock(static_cast<std::uint8_t>(block), data);
        if (blockNotAvailable(outcome) && !blocks.empty()) {
            break;
        }
        if (outcome.status != ZQKRT_OK) {
            return outcome;
        }
        // As a serial reader: a reply that cannot carry every block asked for is refused.
        if (2 + count * (data.size() + 1) > wire::kMaxReplyData) {
            return bare(kBadRequest);
        }
        blocks.push_back(std::move(data));
    }
    const std::optional<Bytes> reply = card::blockReadReply(blocks);
    if (!reply) {
        return bare(ZQKRT_ERR_FRAMING);
    }
    const std::int32_t status = blocks.size() < count ? iso::ReplyIncomplete : iso::Ok;
    return {status, *reply};
}

CardOutcome writeBlocks(CardSession& session, const Bytes& request) {
    if (request.size() < kParametersAt + 3) {
        return bare(kBadRequest);
    }
    const std::size_t first = request[kParametersAt];
    const std::size_t count = request[kParametersAt + 1];
    const std::size_t blockSize = request[kParametersAt + 2];
    const std::size_t dataAt = kParametersAt + 3;
    if (count == 0 || blockSize == 0 || request.size() - dataAt != count * blockSize) {
        return bare(kBadRequest);
    }
    if (CardOutcome outcome = addressedCard(session, request); outcome.status != ZQKRT_OK) {
        return outcome;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (first + i > kLastBlock) {
            return readerlib::outcomeOfStatusWord(storage_card::sw::kNoSuchBlock,
                                                  CardAccess::Write);
        }
        const auto begin = request.begin() + static_cast<std::ptrdiff_t>(dataAt + i * blockSize);
        const Bytes data(begin, begin + static_cast<std::ptrdiff_t>(blockSize));
        CardOutcome outcome = session.writeBlock(static_cast<std::uint8_t>(first + i), data);
        if (outcome.status != ZQKRT_OK) {
            return outcome;
        }
    }
    return {ZQKRT_OK, {kNoFlags}};
}

CardOutcome isoCommand(CardSession& session, const Bytes& request) {
    if (request.size() < kHeaderLength) {
        return bare(kBadRequest);
    }
    const std::uint8_t code = request[0];
    const bool known = code == iso::Inventory || code == iso::ReadMultipleBlocks ||
                       code == iso::WriteMultipleBlocks;
    // Get System Information and the custom commands have no storage-card counterpart.
    if (!known) {
        return bare(kUnknownCommand);
    }
    if ((request[1] & ~kModeBitsInUse) != 0) {
        return bare(kBadRequest);
    }
    if (code == iso::Inventory) {
        return inventory(session, request);
    }
    if (request.size() < kParametersAt) {
        return bare(kBadRequest);
    }
    return code == iso::ReadMultipleBlocks ? readBlocks(session, request)
                                           : writeBlocks(session, request);
}

CardOutcome run(CardSession& session, const zqcom_internal::PortParameters& parameters,
                const wire::Frame& request) {
    switch (request.command) {
    case ZQKRT_COMMAND_GET_BAUD: {
        CardOutcome outcome = session.readerThere();
        if (outcome.status == ZQKRT_OK) {
            outcome.data = {rateIndex(parameters.line.baud)};
        }
        return outcome;
    }
    case ZQKRT_COMMAND_RF_RESET:
        session.resetField();
        return session.readerThere();
    case ZQKRT_COMMAND_ISO:
        return isoCommand(session, request.data);
    default:
        return bare(kUnknownCommand);
    }
}

} // namespace

std::int32_t exchangeWithCard(zqcom_internal::CardChannel& channel,
                              const zqcom_internal::PortParameters& parameters,
                              const wire::Frame& request, wire::Frame& reply,
                              const FrameTrace& trace) {
    CardSession session(channel, std::chrono::milliseconds(parameters.timeOutMs), trace);
    CardOutcome outcome = run(session, parameters, request);
    if (outcome.status < 0) {
        return outcome.status;
    }
    reply.address = request.address == wire::kBroadcastAddress ? 0 : request.address;
    reply.command = request.command;
    reply.status = static_cast<std::uint8_t>(outcome.status);
    reply.data = std::move(outcome.data);
    return ZQKRT_OK;
}

} // namespace zqkrt_internal
