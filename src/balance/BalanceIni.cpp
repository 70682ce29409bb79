#include "BalanceIni.h"

#include "IniFile.h"

#include <QString>

namespace balance {
namespace {

constexpr const char* kSection = "Balance";

} // namespace

BalanceIni BalanceIni::read(const std::string& iniPath) {
    const auto value = [&iniPath](const char* key) {
        return platform::readPrivateProfileString(kSection, key, std::string(), iniPath);
    };
    BalanceIni ini;
    const std::string pollPort = value("PollPort");
    if (QString::fromStdString(pollPort).compare(u"none", Qt::CaseInsensitive) == 0) {
        ini.pollPort.clear();
    } else if (!pollPort.empty()) {
        ini.pollPort = pollPort;
    }
    ini.port = value("Port");
    ini.openAtShow = value("OpenAtShow") == "1";
    const auto dialect = [&value](const char* key) {
        const BalanceDialect* named = dialectNamed(value(key));
        return named != nullptr ? named : &kStationDialect;
    };
    ini.pollDialect = dialect("PollDialect");
    ini.dialect = dialect("Dialect");
    return ini;
}

} // namespace balance
