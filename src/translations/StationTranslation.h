#pragma once

#include <QLocale>
#include <QTranslator>

// The station's own texts in the desk's language, for as long as this object lives: Traditional
// Chinese when the locale is Chinese in Traditional script (Taiwan, Hong Kong, Macao), else the
// English they are written in. Captions and messages that every desk shows alike are not put
// through the translation, so no locale changes them. Make one after the application.
class StationTranslation {
public:
    explicit StationTranslation(const QLocale& locale = QLocale::system());

    bool installed() const { return installed_; }

private:
    QTranslator translator_;
    bool installed_ = false;
};
