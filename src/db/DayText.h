#pragma once

#include <QDate>
#include <QString>

namespace db {

// The locale of the regional settings: LC_ALL, else LC_TIME, else LANG (the first set and
// non-empty of them); empty when none is.
QString regionalLocaleName();

// The short date pattern (QDate notation) of a locale name such as "zh_TW.UTF-8". An empty,
// C, POSIX or otherwise unreadable name gives "M/d/yy".
QString shortDatePattern(const QString& localeName);

// A day written with the short date pattern of the given locale, or of the regional settings.
QString DayText(const QDate& day, const QString& localeName);
QString DayText(const QDate& day);

} // namespace db
