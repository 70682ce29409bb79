#include "ReaderParameterAccess.h"

#include "ParameterText.h"
#include "PortRegistry.h"
#include "ReaderRegistry.h"
#include "zqkrt.h"

#include <atomic>
#include <limits>
#include <optional>

namespace zqkrt_internal {
namespace {

std::atomic<bool> protocolLocked{false};

std::optional<bool> parseFlag(std::string_view value) {
    if (value == "1") {
        return true;
    }
    if (value == "0") {
        return false;
    }
    return std::nullopt;
}

std::int32_t readLibraryParameter(std::string_view name, std::string& value) {
    const bool locked = protocolLocked.load();
    value.assign(1, locked ? '1' : '0');
    if (readerlib::sameName(name, ZQKRT_PARA_IS_PROTOCOL_LOCKED)) {
        return locked ? ZQKRT_OK : ZQKRT_NOT_LOCKED;
    }
    return ZQKRT_OK;
}

std::int32_t writeLibraryParameter(std::string_view name, std::string_view value) {
    if (readerlib::sameName(name, ZQKRT_PARA_IS_PROTOCOL_LOCKED)) {
        return ZQKRT_ERR_READ_ONLY;
    }
    const std::optional<bool> lock = parseFlag(value);
    if (!lock) {
        return ZQKRT_ERR_BAD_VALUE;
    }
    protocolLocked.store(*lock);
    return ZQKRT_OK;
}

std::int32_t writePortHandle(std::int32_t readerHandle, std::string_view value) {
    if (!withReader(readerHandle, [](Reader&) {})) {
        return ZQKRT_ERR_BAD_HANDLE;
    }
    const std::optional<std::int32_t> portHandle =
        readerlib::parseDecimal(value, 1, std::numeric_limits<std::int32_t>::max());
    // Checked before the reader's lock is taken: the port may be busy with another reader.
    if (!portHandle || !zqcom_internal::isOpenPort(*portHandle)) {
        return ZQKRT_ERR_BAD_VALUE;
    }
    withReader(readerHandle, [&](Reader& reader) { reader.portHandle = *portHandle; });
    return ZQKRT_OK;
}

std::int32_t writeLogProtocol(std::int32_t readerHandle, std::string_view value) {
    const std::optional<bool> log = parseFlag(value);
    std::int32_t status = ZQKRT_ERR_BAD_HANDLE;
    withReader(readerHandle, [&](Reader& reader) {
        if (log) {
            reader.logProtocol = *log;
        }
        status = log ? ZQKRT_OK : ZQKRT_ERR_BAD_VALUE;
    });
    return status;
}

bool isLibraryParameter(std::string_view name) {
    return readerlib::sameName(name, ZQKRT_PARA_LOCK_PROTOCOL) ||
           readerlib::sameName(name, ZQKRT_PARA_IS_PROTOCOL_LOCKED);
}

bool isReaderParameter(std::string_view name) {
    return readerlib::sameName(name, ZQKRT_PARA_PORT_HANDLE) ||
           readerlib::sameName(name, ZQKRT_PARA_LOG_PROTOCOL);
}

} // namespace

std::int32_t readReaderParameter(std::int32_t readerHandle, std::string_view name,
                                 std::string& value) {
    if (isLibraryParameter(name)) {
        return readerHandle == 0 ? readLibraryParameter(name, value) : ZQKRT_ERR_BAD_HANDLE;
    }
    if (!isReaderParameter(name)) {
        return ZQKRT_ERR_UNKNOWN_PARAMETER;
    }
    const bool found = withReader(readerHandle, [&](const Reader& reader) {
        value = readerlib::sameName(name, ZQKRT_PARA_PORT_HANDLE)
                    ? std::to_string(reader.portHandle)
                    : (reader.logProtocol ? "1" : "0");
    });
    return found ? ZQKRT_OK : ZQKRT_ERR_BAD_HANDLE;
}

std::int32_t writeReaderParameter(std::int32_t readerHandle, std::string_view name,
                                  std::string_view value) {
    if (isLibraryParameter(name)) {
        return readerHandle == 0 ? writeLibraryParameter(name, value) : ZQKRT_ERR_BAD_HANDLE;
    }
    if (readerlib::sameName(name, ZQKRT_PARA_PORT_HANDLE)) {
        return writePortHandle(readerHandle, value);
    }
    if (readerlib::sameName(name, ZQKRT_PARA_LOG_PROTOCOL)) {
        return writeLogProtocol(readerHandle, value);
    }
    return ZQKRT_ERR_UNKNOWN_PARAMETER;
}

} // namespace zqkrt_internal
