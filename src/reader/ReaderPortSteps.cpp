#include "ReaderPortSteps.h"

#include "ReaderErrorMessage.h"

#include <cstring>
#include <utility>
#include <vector>

namespace reader_port {

namespace {

// The order the reader expects them set in.
const std::pair<const char*, std::string PortSettings::*> kSettingsInOrder[] = {
    {"Baud", &PortSettings::Baud},
    {"Frame", &PortSettings::Frame},
    {"TimeOut", &PortSettings::TimeOut},
    {"TxDelayTime", &PortSettings::TxDelayTime},
    {"TxTimeControl", &PortSettings::TxTimeControl}};

} // namespace

std::int32_t readPortParameter(const ReaderLibraryCalls& library, std::int32_t port,
                               const char* name, std::string& value) {
    // The library refuses a value that does not fit instead of cutting it.
    std::vector<char> buffer(ZQCOM_VALUE_BUFFER_SIZE + 1, '\0');
    const std::int32_t status = library.GetPortPara(port, name, buffer.data(), buffer.size() - 1);
    value = status < 0 ? std::string()
                       : std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
    return status;
}

std::int32_t bindReaderToPort(const ReaderLibraryCalls& library, const ReaderHandles& handles,
                              std::int32_t port) {
    return library.SetReaderPara(handles.ReaderHandle, "PortHnd", std::to_string(port).c_str());
}

std::int32_t readPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                              PortSettings& settings) {
    for (const auto& [name, member] : kSettingsInOrder) {
        if (const std::int32_t status = readPortParameter(library, port, name, settings.*member);
            status < 0)
            return status;
    }
    return 0;
}

std::int32_t setPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                             const PortSettings& settings) {
    for (const auto& [name, member] : kSettingsInOrder) {
        if (const std::int32_t status = library.SetPortPara(port, name, (settings.*member).c_str());
            status < 0)
            return status;
    }
    return 0;
}

bool applyPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                       const PortSettings& settings) {
    const std::int32_t status = setPortSettings(library, port, settings);
    if (status < 0)
        showReaderError(status);
    return status >= 0;
}

} // namespace reader_port
