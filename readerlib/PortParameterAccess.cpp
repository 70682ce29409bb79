#include "PortParameterAccess.h"

#include "BaudRates.h"
#include "ParameterText.h"
#include "SerialFrames.h"
#include "zqcom.h"

#include <array>
#include <optional>

namespace zqcom_internal {
namespace {

constexpr std::int32_t kMaxMilliseconds = 60000;

std::string frameText(const platform::LineSettings& line) {
    const SerialFrame* frame = findSerialFrame(line.parity);
    return frame == nullptr ? std::string() : std::string(frame->text);
}

// Puts the port's line with one setting changed, or refuses a value that named no setting.
std::int32_t writeLine(PortEntry& port, bool known, auto change) {
    if (!known) {
        return ZQCOM_ERR_BAD_VALUE;
    }
    platform::LineSettings line = port.parameters.line;
    change(line);
    return applyLine(port, line) ? ZQCOM_OK : ZQCOM_ERR_LINE_SETTINGS;
}

std::int32_t writeBaud(PortEntry& port, std::string_view value) {
    const BaudRate* rate = findBaudRate(value);
    return writeLine(port, rate != nullptr,
                     [rate](platform::LineSettings& line) { line.baud = rate->rate; });
}

std::int32_t writeFrame(PortEntry& port, std::string_view value) {
    const SerialFrame* frame = findSerialFrame(value);
    return writeLine(port, frame != nullptr,
                     [frame](platform::LineSettings& line) { line.parity = frame->parity; });
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
    {ZQCOM_PARA_PORTNR, [](const PortParameters& p) { return std::to_string(p.portNumber); },
     nullptr},
    {ZQCOM_PARA_BAUD, [](const PortParameters& p) { return std::to_string(p.line.baud); },
     writeBaud},
    {ZQCOM_PARA_FRAME, [](const PortParameters& p) { return frameText(p.line); }, writeFrame},
    {ZQCOM_PARA_TIMEOUT, [](const PortParameters& p) { return std::to_string(p.timeOutMs); },
     [](PortEntry& port, std::string_view value) {
         return writeMilliseconds(port.parameters.timeOutMs, value);
     }},
    {ZQCOM_PARA_TX_TIME_CONTROL,
     [](const PortParameters& p) { return std::string(p.txTimeControl ? "1" : "0"); },
     [](PortEntry& port, std::string_view value) {
         return writeFlag(port.parameters.txTimeControl, value);
     }},
    {ZQCOM_PARA_TX_DELAY_TIME, [](const PortParameters& p) { return std::to_string(p.txDelayMs); },
     [](PortEntry& port, std::string_view value) {
         return writeMilliseconds(port.parameters.txDelayMs, value);
     }},
    {ZQCOM_PARA_READER_NAME, [](const PortParameters& p) { return p.readerName; }, nullptr},
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
