#include "zqkrt.h"

#include "CallGuard.h"
#include "IsoLayout.h"
#include "ParameterText.h"
#include "PortRegistry.h"
#include "ProtocolLog.h"
#include "ReaderCommand.h"
#include "ReaderParameterAccess.h"
#include "ReaderRegistry.h"
#include "ReplyResult.h"

#include <optional>
#include <string>

using namespace zqkrt_internal;

namespace {

static_assert(ZQKRT_MAX_REQUEST_LENGTH == wire::kMaxRequestData);

std::optional<std::uint8_t> busAddressOf(int32_t busAddress) {
    if (busAddress < 0 || busAddress > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(busAddress);
}

// A command that sends no data and makes its status from the reply alone.
int32_t commandWithoutData(int32_t readerHandle, int32_t busAddress, std::uint8_t command,
                           int32_t (*resultOf)(const wire::Frame& reply)) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        const std::optional<std::uint8_t> address = busAddressOf(busAddress);
        if (!address) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        wire::Frame reply;
        const int32_t status = runReaderCommand(readerHandle, *address, command, {}, reply);
        return status == ZQKRT_OK ? resultOf(reply) : status;
    });
}

} // namespace

extern "C" {

int32_t ZQKRT_NewReader(int32_t reserved) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        if (reserved != 0) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        const std::int32_t handle = addReader();
        return handle > 0 ? handle : ZQKRT_ERR_TOO_MANY_READERS;
    });
}

int32_t ZQKRT_SetReaderPara(int32_t readerHandle, const char* name, const char* value) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        if (name == nullptr || value == nullptr) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        return writeReaderParameter(readerHandle, name, value);
    });
}

int32_t ZQKRT_GetReaderParaBuf(int32_t readerHandle, const char* name, char* value,
                               size_t valueSize) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        if (name == nullptr || value == nullptr) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        std::string text;
        const std::int32_t status = readReaderParameter(readerHandle, name, text);
        if (status < 0) {
            return status;
        }
        return readerlib::copyValue(text, value, valueSize) ? status : ZQKRT_ERR_BUFFER_TOO_SMALL;
    });
}

int32_t ZQKRT_GetReaderPara(int32_t readerHandle, const char* name, char* value) {
    return ZQKRT_GetReaderParaBuf(readerHandle, name, value, ZQKRT_VALUE_BUFFER_SIZE);
}

int32_t ZQKRT_0x52_GetBaud(int32_t readerHandle, int32_t busAddress) {
    return commandWithoutData(readerHandle, busAddress, ZQKRT_COMMAND_GET_BAUD, getBaudResult);
}

int32_t ZQKRT_0x69_RFReset(int32_t readerHandle, int32_t busAddress) {
    return commandWithoutData(readerHandle, busAddress, ZQKRT_COMMAND_RF_RESET, rfResetResult);
}

int32_t ZQKRT_0xB0_ISOCmd(int32_t readerHandle, int32_t busAddress, const uint8_t* request,
                          int32_t requestLength, uint8_t* response, int32_t* responseLength,
                          int32_t reserved) {
    if (responseLength != nullptr) {
        *responseLength = 0;
    }
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        const std::optional<std::uint8_t> address = busAddressOf(busAddress);
        if (!address || request == nullptr || response == nullptr || responseLength == nullptr ||
            reserved != 0 || requestLength < 0 || requestLength > ZQKRT_MAX_REQUEST_LENGTH) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        const wire::Bytes hostRequest(request, request + requestLength);
        // A request the layout does not know goes out as it is, for the reader to refuse.
        const wire::Bytes wireRequest = iso::hostRequestToWire(hostRequest).value_or(hostRequest);
        wire::Frame reply;
        const int32_t status =
            runReaderCommand(readerHandle, *address, ZQKRT_COMMAND_ISO, wireRequest, reply);
        if (status != ZQKRT_OK) {
            return status;
        }
        const std::uint8_t isoCommand = hostRequest.empty() ? 0 : hostRequest.front();
        return isoCommandResult(isoCommand, reply, response, *responseLength);
    });
}

int32_t ZQKRT_CancelCommand(int32_t readerHandle) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        std::int32_t port = 0;
        if (!withReader(readerHandle,
                        [&port](const Reader& reader) { port = reader.portHandle; })) {
            return ZQKRT_ERR_BAD_HANDLE;
        }
        zqcom_internal::cancelPortWaits(port);
        return ZQKRT_OK;
    });
}

int32_t ZQKRT_ReadProtocolLog(int32_t readerHandle, char* text, size_t size) {
    return readerlib::guardedCall(ZQKRT_ERR_INTERNAL, [&]() -> int32_t {
        if (text == nullptr) {
            return ZQKRT_ERR_BAD_ARGUMENT;
        }
        if (!withReader(readerHandle, [](Reader&) {})) {
            return ZQKRT_ERR_BAD_HANDLE;
        }
        return takeFromProtocolLog(readerHandle, text, size);
    });
}

} // extern "C"
