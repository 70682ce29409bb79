#include "ReaderIniSteps.h"

#include "IniFile.h"
#include "MessageBoxes.h"
#include "ReaderCallStatus.h"
#include "ReaderIniPath.h"
#include "ReaderPortSteps.h"

#include <QCoreApplication>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace reader_ini {

namespace {

constexpr const char* kPortNumberKey = "COM";

} // namespace

reader_port::PortSettings ReadPortSettings(const std::string& path) {
    reader_port::PortSettings settings;
    for (const reader_port::PortSetting& setting : reader_port::kPortSettings) {
        settings.*setting.member = platform::readPrivateProfileString(
            kReaderIniSection, setting.iniKey, setting.defaultValue, path);
    }
    return settings;
}

void LoadIni(const std::string& path, ReaderPortHost& host, ReaderHandles& handles,
             const ReaderLibraryCalls& library) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    const std::string com =
        platform::readPrivateProfileString(kReaderIniSection, kPortNumberKey, "None", path);
    if (com == "None") {
        return;
    }
    const reader_port::PortSettings settings = ReadPortSettings(path);
    if (const std::int32_t held = handles.PortHandle; held > 0) {
        if (failedAndShown(library.ClosePort(held)))
            return;
        handles.PortHandle = 0;
    }
    const std::int32_t port = library.OpenPort(com.c_str());
    if (failedAndShown(port)) {
        host.setRunEnabled(false);
        return;
    }
    handles.PortHandle = port;
    host.setRunEnabled(true);
    if (failedAndShown(reader_port::bindReaderToPort(library, handles, port)))
        return;
    failedAndShown(reader_port::setPortSettings(library, port, settings));
}

void SaveIni(const std::string& path, const ReaderHandles& handles,
             const ReaderLibraryCalls& library) {
    const std::int32_t port = handles.PortHandle;
    if (port <= 0) {
        return;
    }
    std::string com;
    reader_port::PortSettings settings;
    std::int32_t status = reader_port::readPortParameter(library, port, ZQCOM_PARA_PORTNR, com);
    if (!readerCallFailed(status)) {
        status = reader_port::readPortSettings(library, port, settings);
    }
    if (failedAndShown(status)) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> entries{{kPortNumberKey, com}};
    for (const reader_port::PortSetting& setting : reader_port::kPortSettings) {
        entries.emplace_back(setting.iniKey, settings.*setting.member);
    }
    if (!platform::writePrivateProfileStrings(kReaderIniSection, entries, path)) {
        platform::showMessage(
            QCoreApplication::translate("ReaderIniSteps", "Cannot save the port settings in %1")
                .arg(QString::fromStdString(path)),
            QStringLiteral("Error"), platform::MessageIcon::Exclamation);
    }
}

} // namespace reader_ini
