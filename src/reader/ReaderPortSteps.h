#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Steps on the reader port that the settings dialog and the INI file share.
namespace reader_port {

// The port parameters as text, as the library takes and gives them.
struct PortSettings {
    std::string Baud;
    std::string Frame;
    std::string TimeOut;
    std::string TxDelayTime;
    std::string TxTimeControl;
};

// A port parameter as the settings dialog, the INI file and the reader search share it.
struct PortSetting {
    const char* parameter; // the library's name
    const char* iniKey;
    std::string PortSettings::*member;
    std::string defaultValue; // what an opened port has
    bool line;                // rate or frame: the reader search finds it, the INI file does not
    std::size_t setRank;      // its place in the order the reader expects them set
};

// The five, in the INI file's order, which is also the order of reading them back.
extern const std::array<PortSetting, 5> kPortSettings;

// The settings an opened port has.
PortSettings defaultPortSettings();

// Reads parameter name of port whole into value (empty on failure); gives the library status.
std::int32_t readPortParameter(const ReaderLibraryCalls& library, std::int32_t port,
                               const char* name, std::string& value);

// Binds the reader of this show (handles.ReaderHandle) to port; gives the library status.
std::int32_t bindReaderToPort(const ReaderLibraryCalls& library, const ReaderHandles& handles,
                              std::int32_t port);

// Reads the five parameters of port in the INI file's order; gives the first failure's
// status, else ZQCOM_OK.
std::int32_t readPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                              PortSettings& settings);

// Sets the five parameters in the order the reader expects them; the first failure ends it,
// leaving the ones set before, and gives its status, else ZQCOM_OK.
std::int32_t setPortSettings(const ReaderLibraryCalls& library, std::int32_t port,
                             const PortSettings& settings);

} // namespace reader_port
