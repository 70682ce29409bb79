#include "CardStatus.h"

#include "StorageCardCommands.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <winscard.h>

namespace readerlib {
namespace {

constexpr std::uint8_t kTransponderErrorFlag = 0x01;
constexpr std::uint8_t kUnknownError = 0x0F;
constexpr std::int32_t kUnknownCommand = 0x01;
constexpr std::int32_t kBadRequest = 0x02;
constexpr std::int32_t kReadOnlyMemory = 0x03;

CardOutcome transponderError(std::uint8_t code) {
    return {ZQKRT_STATUS_TRANSPONDER_ERROR, {kTransponderErrorFlag, code}};
}

} // namespace

std::int32_t portOpenStatus(long code) {
    switch (code) {
    case SCARD_E_NO_SERVICE:
    case SCARD_E_SERVICE_STOPPED:
    case SCARD_F_COMM_ERROR:
        return ZQCOM_ERR_NO_SERVICE;
    case SCARD_E_NO_MEMORY:
        return ZQCOM_ERR_INTERNAL;
    default:
        return ZQCOM_ERR_OPEN_FAILED;
    }
}

bool cardConnectionLost(long code) {
    // A card that stopped answering has most likely left the field.
    return code == SCARD_W_REMOVED_CARD || code == SCARD_W_RESET_CARD ||
           code == SCARD_W_UNPOWERED_CARD || code == SCARD_E_NOT_TRANSACTED ||
           code == SCARD_E_INVALID_HANDLE;
}

CardOutcome outcomeOfCode(long code) {
    switch (code) {
    case SCARD_S_SUCCESS:
        return {ZQKRT_OK, {}};
    case SCARD_E_NO_SMARTCARD:
    case SCARD_W_REMOVED_CARD:
    case SCARD_W_RESET_CARD:
    case SCARD_W_UNPOWERED_CARD:
    case SCARD_W_UNRESPONSIVE_CARD:
    case SCARD_W_UNSUPPORTED_CARD:
    case SCARD_E_PROTO_MISMATCH:
    case SCARD_E_NOT_TRANSACTED:
        return {ZQKRT_STATUS_NO_TRANSPONDER, {}};
    case SCARD_E_TIMEOUT:
        return {ZQKRT_ERR_TIMEOUT, {}};
    case SCARD_E_NO_MEMORY:
        return {ZQKRT_ERR_INTERNAL, {}};
    default:
        // The service or the reader went away, or holds the card for another application.
        return {ZQKRT_ERR_WRITE_FAILED, {}};
    }
}

CardOutcome outcomeOfStatusWord(std::uint16_t statusWord, CardAccess access) {
    if (statusWord == storage_card::sw::kOk) {
        return {ZQKRT_OK, {}};
    }
    if (storage_card::sw::asksForLength(statusWord)) {
        return {kBadRequest, {}};
    }
    switch (statusWord) {
    case storage_card::sw::kWrongLength:
        return {kBadRequest, {}};
    case storage_card::sw::kUnknownInstruction:
    case storage_card::sw::kUnknownClass:
    case storage_card::sw::kNotSupported:
        return {kUnknownCommand, {}};
    case storage_card::sw::kNoSuchBlock:
    case 0x6B00:
        if (access == CardAccess::Identify) {
            return {ZQKRT_STATUS_NO_TRANSPONDER, {}};
        }
        return transponderError(kBlockNotAvailable);
    case 0x6981:
    case storage_card::sw::kSecurity:
    case 0x6986:
        if (access == CardAccess::Write) {
            return {kReadOnlyMemory, {}};
        }
        break;
    default:
        break;
    }
    if (access == CardAccess::Identify) {
        return {ZQKRT_STATUS_NO_TRANSPONDER, {}};
    }
    return transponderError(kUnknownError);
}

} // namespace readerlib
