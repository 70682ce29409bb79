#include "DayText.h"

#include <QLocale>

namespace db {

QString regionalLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

QString shortDatePattern(const QString& localeName) {
    const QString fallback = QStringLiteral("M/d/yy");
    if (localeName.isEmpty())
        return fallback;
    // QLocale maps C, POSIX, C.<codeset> and names it does not know to the C locale.
    const QLocale locale(localeName);
    if (locale.language() == QLocale::C)
        return fallback;
    return locale.dateFormat(QLocale::ShortFormat);
}

QString DayText(const QDate& day, const QString& localeName) {
    return day.toString(shortDatePattern(localeName));
}

QString DayText(const QDate& day) {
    return DayText(day, regionalLocaleName());
}

} // namespace db
