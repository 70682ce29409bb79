#include "StationTranslation.h"

#include <QCoreApplication>

namespace {

bool readsTraditionalChinese(const QLocale& locale) {
    return locale.language() == QLocale::Chinese &&
           locale.script() == QLocale::TraditionalChineseScript;
}

} // namespace

StationTranslation::StationTranslation(const QLocale& locale) {
    // The file is built into the program, so a failure to load it is a build fault.
    installed_ = readsTraditionalChinese(locale) &&
                 translator_.load(QStringLiteral(":/translations/station_zh_TW.qm")) &&
                 QCoreApplication::installTranslator(&translator_);
}
