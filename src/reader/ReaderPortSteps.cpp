#include "ReaderPortSteps.h"

#include "ReaderErrorMessage.h"

#include <cstring>
#include <utility>
#include <vector>

namespace reader_port {

std::int32_t readPortParameter(const ReaderLibrary& library, std::int32_t port, const char* name,
                               std::string& value) {
    // The library refuses a value that does not fit instead of cutting it.
    std::vector<char> buffer(ZQCOM_VALUE_BUFFER_SIZE + 1, '\0');
    const std::int32_t status = library.GetPortPara(port, name, buffer.data(), buffer.size() - 1);
    value = status < 0 ? std::string()
                       : std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
    return status;
}

std::int32_t bindReaderToPort(const ReaderLibrary& library, const ReaderHandles& handles,
                              std::int32_t port) {
    return library.SetReaderPara(handles.ReaderHandle, "PortHnd", std::to_string(port).c_str());
}

bool applyPortSettings(const ReaderLibrary& library, std::int32_t port,
                       const PortSettings& settings) {
    const std::pair<const char*, const std::string*> steps[] = {
        {"Baud", &settings.Baud},
        {"Frame", &settings.Frame},
        {"TimeOut", &settings.TimeOut},
        {"TxDelayTime", &settings.TxDelayTime},
        {"TxTimeControl", &settings.TxTimeControl}};
    for (const auto& [name, value] : steps) {
        const std::int32_t status = library.SetPortPara(port, name, value->c_str());
        if (status < 0) {
            showReaderError(status);
            return false;
        }
    }
    return true;
}

} // namespace reader_port
