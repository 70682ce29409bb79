#include "VariantConversion.h"

#include "AppError.h"

namespace db {

namespace {

[[noreturn]] void conversionError(const QVariant& value, const QString& target) {
    throw platform::AppError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                                 .arg(variantTypeName(value), target));
}

} // namespace

QString variantTypeName(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("Null");
    switch (value.typeId()) {
    case QMetaType::QString:
        return QStringLiteral("String");
    case QMetaType::Int:
        return QStringLiteral("Integer");
    case QMetaType::LongLong:
        return QStringLiteral("Int64");
    case QMetaType::Double:
        return QStringLiteral("Double");
    case QMetaType::Bool:
        return QStringLiteral("Boolean");
    case QMetaType::QByteArray:
        return QStringLiteral("Array Byte");
    default:
        return QString::fromLatin1(value.typeName());
    }
}

QString variantAsString(const QVariant& value) {
    if (value.isNull())
        conversionError(value, QStringLiteral("String"));
    return value.toString();
}

bool variantAsBoolean(const QVariant& value) {
    if (!value.isNull()) {
        switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool();
        case QMetaType::Int:
        case QMetaType::LongLong: {
            const qlonglong number = value.toLongLong();
            if (number == 0 || number == 1 || number == -1)
                return number != 0;
            break;
        }
        case QMetaType::QString: {
            const QString text = value.toString().trimmed().toLower();
            if (text == u"true" || text == u"yes" || text == u"1" || text == u"-1")
                return true;
            if (text == u"false" || text == u"no" || text == u"0")
                return false;
            break;
        }
        default:
            break;
        }
    }
    conversionError(value, QStringLiteral("Boolean"));
}

} // namespace db
