#include "DispensingSettings.h"

#include "IniFile.h"

#include <QString>
#include <cmath>

DispensingSettings DispensingSettings::read(const std::string& iniPath) {
    const auto value = [&iniPath](const char* key) {
        return QString::fromStdString(
                   platform::readPrivateProfileString("Dispensing", key, std::string(), iniPath))
            .trimmed();
    };
    DispensingSettings settings;
    settings.weightCheck = value("WeightCheck") == QStringLiteral("1");
    bool ok = false;
    const double tolerance = value("TolerancePercent").toDouble(&ok);
    if (ok && std::isfinite(tolerance) && tolerance >= 0 && tolerance <= 100)
        settings.tolerancePercent = tolerance;
    const int wait = value("WeightWaitSeconds").toInt(&ok);
    if (ok && wait >= 1 && wait <= 120)
        settings.weightWaitSeconds = wait;
    return settings;
}
