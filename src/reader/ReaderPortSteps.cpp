#include "ReaderPortSteps.h"

#include "ReaderCallStatus.h"

#include <cstring>
#include <vector>

namespace reader_port {

const std::array<PortSetting, 5> kPortSettings{{
    {ZQCOM_PARA_BAUD, "Baud", &PortSettings::Baud, std::to_string(ZQCOM_DEFAULT_BAUD), true, 0},
    {ZQCOM_PARA_FRAME, "Frame", &PortSettings::Frame, ZQCOM_DEFAULT_FRAME, true, 1},
    {ZQCOM_PARA_TIMEOUT, "Timeout", &PortSettings::TimeOut, std::to_string(ZQCOM_DEFAULT_TIMEOUT),
     false, 2},
    {ZQCOM_PARA_TX_TIME_CONTROL, "TxTimeControl", &PortSettings::TxTimeControl,
     std::to_string(ZQCOM_DEFAULT_TX_TIME_CONTROL), false, 4},
    {ZQCOM_PARA_TX_DELAY_TIME, "TxDelayTime", &PortSettings::TxDelayTime,
     std::to_string(ZQCOM_DEFAULT_TX_DELAY_TIME), false, 3},
}};

namespace {

std::array<const PortSetting*, kPortSettings.size()> inSetOrder() {
    std::array<const PortSetting*, kPortSettings.size()> ordered{};
    for (const PortSetting& setting : kPortSettings) {
        ordered.at(setting.setRank) = &setting;
    }
    return ordered;
}

} // namespace

PortSettings defaultPortSettings() {
    PortSettings settings;
    for (const PortSetting& setting : kPortSettings) {
        settings.*setting.member = setting.defaultValue;
    }
    return settings;
}

std::int32_t readPortParameter(const ReaderLibraryCalls& library, std::int32_t port,
                               const char* name, std::string& value) {
    // The library refuses a value that does not fit instead of cutting it.
    std::vector<char> buffer(ZQCOM_VALUE_BUFFER_SIZE + 1, '\0');
    const std::int32_t status = library.GetPortPara(port, name, buffer.data(), buffer.size() - 1);
    value = readerCallFailed(status)
                ? std::string()
                : std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
    return status;
}

std::int32_t bindReaderToPort(const ReaderLibraryCalls& library, const ReaderHandles& handles,
                              std::int32_t port) {
    return library.SetReaderPara(handles.ReaderHandle, ZQKRT_PARA_PORT_HANDLE,
                                 std::to_string(port).c_str());
}

std::int32_t readPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                              PortSettings& settings) {
    for (const PortSetting& setting : kPortSettings) {
        if (const std::int32_t status =
                readPortParameter(library, port, setting.parameter, settings.*setting.member);
            readerCallFailed(status))
            return status;
    }
    return ZQCOM_OK;
}

std::int32_t setPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                             const PortSettings& settings) {
    for (const PortSetting* setting : inSetOrder()) {
        if (const std::int32_t status =
                library.SetPortPara(port, setting->parameter, (settings.*setting->member).c_str());
            readerCallFailed(status))
            return status;
    }
    return ZQCOM_OK;
}

} // namespace reader_port
