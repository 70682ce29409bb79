#include "StationIdentity.h"

#include "IniFile.h"

#include <QSysInfo>
#include <array>
#include <pwd.h>
#include <unistd.h>

namespace {

QString cleaned(const QString& text) {
    QString kept;
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            kept += c;
    return kept.trimmed().left(StationIdentity::maxNameLength).trimmed();
}

QString sessionUser() {
    passwd entry{};
    passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr)
        return QString::fromLocal8Bit(found->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

QString StationIdentity::cleanName(const QString& name, const QString& fallback) {
    const QString kept = cleaned(name);
    return kept.isEmpty() ? cleaned(fallback) : kept;
}

StationIdentity StationIdentity::named(const QString& station) {
    return {cleanName(station, QSysInfo::machineHostName()), cleanName(sessionUser(), QString())};
}

StationIdentity StationIdentity::read(const std::string& iniPath) {
    return named(QString::fromStdString(
        platform::readPrivateProfileString("Station", "Name", std::string(), iniPath)));
}
