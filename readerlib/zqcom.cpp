#include "zqcom.h"

#include "CallGuard.h"
#include "ParameterText.h"
#include "PcscPort.h"
#include "PortParameterAccess.h"
#include "PortTable.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>

using namespace zqcom_internal;

namespace {

std::int32_t openFailureStatus(platform::SerialFailure failure) {
    switch (failure) {
    case platform::SerialFailure::Busy:
        return ZQCOM_ERR_PORT_BUSY;
    case platform::SerialFailure::Settings:
        return ZQCOM_ERR_LINE_SETTINGS;
    default:
        return ZQCOM_ERR_OPEN_FAILED;
    }
}

std::int32_t openCardPort(const std::shared_ptr<PortEntry>& port) {
    std::int32_t status = ZQCOM_OK;
    const auto index =
        static_cast<std::size_t>(port->parameters.portNumber - ZQCOM_FIRST_PCSC_PORT);
    std::unique_ptr<PcscPort> reader = PcscPort::open(index, status);
    if (!reader) {
        return status;
    }
    port->parameters.readerName = reader->readerName();
    port->card = std::move(reader);
    port->cardPort = true;
    const std::int32_t handle = addCardPort(port);
    if (handle < 0) {
        return ZQCOM_ERR_PORT_BUSY;
    }
    return handle > 0 ? handle : ZQCOM_ERR_TOO_MANY_PORTS;
}

} // namespace

extern "C" {

int32_t ZQCOM_OpenPort(const char* portNr) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        if (portNr == nullptr) {
            return ZQCOM_ERR_BAD_ARGUMENT;
        }
        // One digit exactly: the text that "PortNr" reads back.
        const std::optional<std::int32_t> number =
            std::strlen(portNr) == 1
                ? readerlib::parseDecimal(portNr, ZQCOM_FIRST_SERIAL_PORT, ZQCOM_LAST_PCSC_PORT)
                : std::nullopt;
        if (!number) {
            return ZQCOM_ERR_BAD_VALUE;
        }
        auto port = std::make_shared<PortEntry>();
        port->parameters.portNumber = *number;
        if (*number >= ZQCOM_FIRST_PCSC_PORT) {
            return openCardPort(port);
        }
        if (!port->serial.open("COM" + std::to_string(*number))) {
            return openFailureStatus(port->serial.lastFailure());
        }
        if (!applyLine(*port, port->parameters.line)) {
            return ZQCOM_ERR_LINE_SETTINGS;
        }
        const std::int32_t handle = addPort(port);
        return handle > 0 ? handle : ZQCOM_ERR_TOO_MANY_PORTS;
    });
}

int32_t ZQCOM_ClosePort(int32_t portHandle) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        const bool closed = withPortEntry(portHandle, [](PortEntry& port) {
            port.serial.close();
            port.card.reset();
            port.open = false;
        });
        if (!closed) {
            return ZQCOM_ERR_BAD_HANDLE;
        }
        removePort(portHandle);
        return ZQCOM_OK;
    });
}

int32_t ZQCOM_GetPortList(int32_t previous) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        if (previous < 0) {
            return ZQCOM_ERR_BAD_HANDLE;
        }
        return nextPortAfter(previous);
    });
}

int32_t ZQCOM_GetPortParaBuf(int32_t portHandle, const char* name, char* value, size_t valueSize) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        if (name == nullptr || value == nullptr) {
            return ZQCOM_ERR_BAD_ARGUMENT;
        }
        std::int32_t status = ZQCOM_ERR_BAD_HANDLE;
        std::string text;
        withPortEntry(portHandle,
                      [&](PortEntry& port) { status = readPortParameter(port, name, text); });
        if (status != ZQCOM_OK) {
            return status;
        }
        return readerlib::copyValue(text, value, valueSize) ? ZQCOM_OK : ZQCOM_ERR_BUFFER_TOO_SMALL;
    });
}

int32_t ZQCOM_GetPortPara(int32_t portHandle, const char* name, char* value) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        if (name == nullptr) {
            return ZQCOM_ERR_BAD_ARGUMENT;
        }
        const size_t size = readerlib::sameName(name, ZQCOM_PARA_PORTNR) ? ZQCOM_PORTNR_BUFFER_SIZE
                                                                         : ZQCOM_VALUE_BUFFER_SIZE;
        return ZQCOM_GetPortParaBuf(portHandle, name, value, size);
    });
}

int32_t ZQCOM_SetPortPara(int32_t portHandle, const char* name, const char* value) {
    return readerlib::guardedCall(ZQCOM_ERR_INTERNAL, [&]() -> int32_t {
        if (name == nullptr || value == nullptr) {
            return ZQCOM_ERR_BAD_ARGUMENT;
        }
        std::int32_t status = ZQCOM_ERR_BAD_HANDLE;
        withPortEntry(portHandle,
                      [&](PortEntry& port) { status = writePortParameter(port, name, value); });
        return status;
    });
}

} // extern "C"
