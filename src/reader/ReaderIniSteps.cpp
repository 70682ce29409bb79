#include "ReaderIniSteps.h"

#include "IniFile.h"
#include "MessageBoxes.h"
#include "ReaderErrorMessage.h"
#include "ReaderIniPath.h"
#include "ReaderPortSteps.h"

#include <QCoreApplication>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace reader_ini {

void LoadIni(const std::string& path, ReaderPortHost& host, ReaderHandles& handles,
             const ReaderLibraryCalls& library) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    const auto read = [&path](const char* key, const char* defaultValue) {
        return platform::readPrivateProfileString(kReaderIniSection, key, defaultValue, path);
    };
    const std::string com = read("COM", "None");
    if (com == "None") {
        return;
    }
    // Missing keys take the settings dialog's own defaults.
    const reader_port::PortSettings settings{read("Baud", "38400"), read("Frame", "8E1"),
                                             read("Timeout", "800"), read("TxDelayTime", "5"),
                                             read("TxTimeControl", "1")};
    if (const std::int32_t held = handles.PortHandle; held > 0) {
        const std::int32_t status = library.ClosePort(held);
        if (status < 0) {
            showReaderError(status);
            return;
        }
        handles.PortHandle = 0;
    }
    const std::int32_t port = library.OpenPort(com.c_str());
    if (port < 0) {
        showReaderError(port);
        host.setRunEnabled(false);
        return;
    }
    handles.PortHandle = port;
    host.setRunEnabled(true);
    if (const std::int32_t status = reader_port::bindReaderToPort(library, handles, port);
        status < 0) {
        showReaderError(status);
        return;
    }
    reader_port::applyPortSettings(library, port, settings);
}

void SaveIni(const std::string& path, const ReaderHandles& handles,
             const ReaderLibraryCalls& library) {
    const std::int32_t port = handles.PortHandle;
    if (port <= 0) {
        return;
    }
    std::string com, baud, frame, timeOut, delayTime, timeControl;
    const std::pair<const char*, std::string*> reads[] = {{"PortNr", &com},
                                                          {"Baud", &baud},
                                                          {"Frame", &frame},
                                                          {"TimeOut", &timeOut},
                                                          {"TxDelayTime", &delayTime},
                                                          {"TxTimeControl", &timeControl}};
    for (const auto& [name, value] : reads) {
        const std::int32_t status = reader_port::readPortParameter(library, port, name, *value);
        if (status < 0) {
            showReaderError(status);
            return;
        }
    }
    if (!platform::writePrivateProfileStrings(kReaderIniSection,
                                              {{"COM", com},
                                               {"Baud", baud},
                                               {"Frame", frame},
                                               {"Timeout", timeOut},
                                               {"TxTimeControl", timeControl},
                                               {"TxDelayTime", delayTime}},
                                              path)) {
        platform::showMessage(
            QCoreApplication::translate("ReaderIniSteps", "Cannot save the port settings in %1")
                .arg(QString::fromStdString(path)),
            QStringLiteral("Error"), platform::MessageIcon::Exclamation);
    }
}

} // namespace reader_ini
