#include "FileValues.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace dbcopy {

namespace {

// The station's texts are names, dates and numbers; anything longer is no prescription data.
constexpr qsizetype longestText = 65536;
constexpr qsizetype longestShown = 40;

[[noreturn]] void refuse(const QString& column, const QVariant& value, const QString& why) {
    throw std::invalid_argument(
        QStringLiteral("%1 holds %2, %3").arg(column, shownValue(value), why).toStdString());
}

bool isBinary(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray;
}

QVariant yesNo(const QString& column, const QVariant& value) {
    if (!isBinary(value) && value.typeId() != QMetaType::Double) {
        const QString text = value.toString().toLower();
        if (text == u"1" || text == u"-1" || text == u"true")
            return true;
        if (text == u"0" || text == u"false")
            return false;
    }
    refuse(column, value, QStringLiteral("which is no yes/no value"));
}

QVariant wholeNumber(const QString& column, const QVariant& value) {
    bool ok = false;
    qint64 number = 0;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        number = value.toLongLong(&ok);
    else if (value.typeId() == QMetaType::QString)
        number = value.toString().toLongLong(&ok);
    if (!ok)
        refuse(column, value, QStringLiteral("which is no whole number"));
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        refuse(column, value, QStringLiteral("which is out of the server's range"));
    return static_cast<int>(number);
}

QVariant realNumber(const QString& column, const QVariant& value) {
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        number = value.toString().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        refuse(column, value, QStringLiteral("which is no real number"));
    return number;
}

QVariant day(const QString& column, const QVariant& value) {
    const QString text = value.typeId() == QMetaType::QString ? value.toString() : QString();
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        refuse(column, value, QStringLiteral("which is no day written yyyy-MM-dd"));
    return date;
}

// Only with its offset: without one the server would take the time as its own zone's.
QVariant moment(const QString& column, const QVariant& value) {
    static const QRegularExpression written(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d{1,3})?(Z|[+-]\d{2}:\d{2})$)"));
    const QString text = value.typeId() == QMetaType::QString ? value.toString() : QString();
    const QDateTime time = written.match(text).hasMatch()
                               ? QDateTime::fromString(text, Qt::ISODateWithMs)
                               : QDateTime();
    if (!time.isValid())
        refuse(column, value,
               QStringLiteral("which is no time written yyyy-MM-ddThh:mm:ss with its offset"));
    return time;
}

QVariant text(const QString& column, const QVariant& value) {
    if (isBinary(value))
        refuse(column, value, QStringLiteral("which is no text"));
    const QString result = value.toString();
    if (result.size() > longestText)
        refuse(column, value, QStringLiteral("longer than %1 characters").arg(longestText));
    return result;
}

} // namespace

QVariant serverValue(const QSqlField& serverColumn, const QVariant& fileValue) {
    if (fileValue.isNull())
        return {};
    const QString column = serverColumn.name();
    switch (serverColumn.metaType().id()) {
    case QMetaType::Bool:
        return yesNo(column, fileValue);
    case QMetaType::Int:
        return wholeNumber(column, fileValue);
    case QMetaType::Double:
        return realNumber(column, fileValue);
    case QMetaType::QDate:
        return day(column, fileValue);
    case QMetaType::QDateTime:
        return moment(column, fileValue);
    default:
        return text(column, fileValue);
    }
}

QString shownValue(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    if (isBinary(value))
        return QStringLiteral("binary data (%1 bytes)").arg(value.toByteArray().size());
    QString text = value.toString();
    const bool cut = text.size() > longestShown;
    text.truncate(longestShown);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return value.typeId() == QMetaType::QString
               ? QStringLiteral("\"%1%2\"").arg(text, cut ? QStringLiteral("…") : QString())
               : text;
}

} // namespace dbcopy
