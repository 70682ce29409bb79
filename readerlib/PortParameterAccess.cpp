#include "PortParameterAccess.h"

#include "BaudRates.h"
#include "ParameterText.h"
#include "zqcom.h"

#include <array>
#include <optional>

namespace zqcom_internal {
namespace {

constexpr std::int32_t kMaxMilliseconds = 60000;

struct Frame {
    std::string_view text;
    platform::Parity parity;
};

constexpr std::array<Frame, 3> kFrames{{{"8E1", platform::Parity::Even},
                                        {"8N1", platform::Parity::None},
                                        {"8O1", platform::Parity::Odd}}};

std::string frameText(const platform::LineSettings& line) {
    for (const Frame& frame : kFrames) {
        if (frame.parity == line.parity) {
            return std::string(frame.text);
        }
    }
    return {};
}

std::int32_t writeBaud(PortEntry& port, std::string_view value) {
    const BaudRate* rate = findBaudRate(value);
    if (rate == nullptr) {
        return ZQCOM_ERR_BAD_VALUE;
    }
    platform::LineSettings line = port.parameters.line;
    line.baud = rate->rate;
    return applyLine(port, line) ? ZQCOM_OK : ZQCOM_ERR_LINE_SETTINGS;
}

std::int32_t writeFrame(PortEntry& port, std::string_view value) {
    for (const Frame& frame : kFrames) {
        if (readerlib::sameName(value, frame.text)) {
            platform::LineSettings line = port.parameters.line;
            line.parity = frame.parity;
            return applyLine(port, line) ? ZQCOM_OK : ZQCOM_ERR_LINE_SETTINGS;
        }
    }
    return ZQCOM_ERR_BAD_VALUE;
}

std::int32_t writeMilliseconds(int& target, std::string_view value) {
    const std::optional<std::int32_t> milliseconds =
        readerlib::parseDecimal(value, 0, kMaxMilliseconds);
    if (!milliseconds) {
        return ZQCOM_ERR_BAD_VALUE;
    }
    target = *milliseconds;
    return ZQCOM_OK;
}

std::int32_t writeFlag(bool& target, std::string_view value) {
    if (value != "1" && value != "0") {
        return ZQCOM_ERR_BAD_VALUE;
    }
    target = value == "1";
    return ZQCOM_OK;
}

struct Parameter {
    std::string_view name;
    std::string (*read)(const PortParameters&);
    std::int32_t (*write)(PortEntry&, std::string_view); // null: read only
};

const std::array<Parameter, 7> kParameters{{
    {"PortNr", [](const PortParameters& p) { return std::to_string(p.portNumber); }, nullptr},
    {"Baud", [](const PortParameters& p) { return std::to_string(p.line.baud); }, writeBaud},
    {"Frame", [](const PortParameters& p) { return frameText(p.line); }, writeFrame},
    {"TimeOut", [](const PortParameters& p) { return std::to_string(p.timeOutMs); },
     [](PortEntry& port, std::string_view value) {
         return writeMilliseconds(port.parameters.timeOutMs, value);
     }},
    {"TxTimeControl",
     [](const PortParameters& p) { return std::string(p.txTimeControl ? "1" : "0"); },
     [](PortEntry& port, std::string_view value) {
         return writeFlag(port.parameters.txTimeControl, value);
     }},
    {"TxDelayTime", [](const PortParameters& p) { return std::to_string(p.txDelayMs); },
     [](PortEntry& port, std::string_view value) {
         return writeMilliseconds(port.parameters.txDelayMs, value);
     }},
    {"ReaderName", [](const PortParameters& p) { return p.readerName; }, nullptr},
}};

const Parameter* findParameter(std::string_view name) {
    for (const Parameter& parameter : kParameters) {
        if (readerlib::sameName(name, parameter.name)) {
            return &parameter;
        }
    }
    return nullptr;
}

} // namespace

bool applyLine(PortEntry& port, const platform::LineSettings& line) {
    // A PC/SC reader has no line: its settings are only kept.
    if (!port.card && !port.serial.setSettings(line)) {
        return false;
    }
    port.parameters.line = line;
    return true;
}

std::int32_t readPortParameter(const PortEntry& port, std::string_view name, std::string& value) {
    const Parameter* parameter = findParameter(name);
    if (parameter == nullptr) {
        return ZQCOM_ERR_UNKNOWN_PARAMETER;
    }
    value = parameter->read(port.parameters);
    return ZQCOM_OK;
}

std::int32_t writePortParameter(PortEntry& port, std::string_view name, std::string_view value) {
    const Parameter* parameter = findParameter(name);
    if (parameter == nullptr) {
        return ZQCOM_ERR_UNKNOWN_PARAMETER;
    }
    if (parameter->write == nullptr) {
        return ZQCOM_ERR_READ_ONLY;
    }
    return parameter->write(port, value);
}

} // namespace zqcom_internal
