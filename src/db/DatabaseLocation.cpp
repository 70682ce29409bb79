#include "DatabaseLocation.h"

#include "IniFile.h"

#include <QRegularExpression>

namespace db {

namespace {

QString connectionFault(const QString& connection) {
    if (connection.contains(u';'))
        return QStringLiteral("The database connection text must not hold a ';'.");
    for (const QChar c : connection) {
        if (c.unicode() < u' ')
            return QStringLiteral("The database connection text must not hold control characters.");
    }
    static const QRegularExpression uri(QStringLiteral("^\\s*postgres(ql)?://"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (uri.match(connection).hasMatch())
        return QStringLiteral(
            "The database connection text must be written as key=value pairs, not as a URI.");
    static const QRegularExpression password(QStringLiteral("(^|\\s)password\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    if (password.match(connection).hasMatch())
        return QStringLiteral("The database connection text must not hold a password: keep it in "
                              "the password file (~/.pgpass) or the service file.");
    return {};
}

std::chrono::seconds statementTimeoutFromIni(const std::string& iniPath) {
    const QString text = QString::fromStdString(platform::readPrivateProfileString(
                                                    DatabaseLocation::iniSection().toStdString(),
                                                    DatabaseLocation::timeoutIniKey().toStdString(),
                                                    std::string(), iniPath))
                             .trimmed();
    bool whole = false;
    const qlonglong seconds = text.toLongLong(&whole);
    if (!whole || seconds < 1 || seconds > DatabaseLocation::maxStatementTimeout.count())
        return DatabaseLocation::defaultStatementTimeout;
    return std::chrono::seconds(seconds);
}

} // namespace

DatabaseLocation DatabaseLocation::file(const QString& fileName, FileAccess access) {
    DatabaseLocation location;
    location.target_ = fileName;
    location.fileAccess_ = access;
    return location;
}

DatabaseLocation DatabaseLocation::server(const QString& connection,
                                          std::chrono::seconds statementTimeout) {
    DatabaseLocation location;
    location.server_ = true;
    location.statementTimeout_ = statementTimeout;
    const QString trimmed = connection.trimmed();
    // A single word is the name of a service.
    location.target_ = trimmed.contains(u'=') ? trimmed : QStringLiteral("service=") + trimmed;
    location.fault_ = trimmed.isEmpty() ? QStringLiteral("The database connection text is empty.")
                                        : connectionFault(trimmed);
    return location;
}

DatabaseLocation DatabaseLocation::fromIni(const std::string& iniPath) {
    const std::string value = platform::readPrivateProfileString(
        iniSection().toStdString(), iniKey().toStdString(), std::string(), iniPath);
    if (value.empty())
        return file();
    return server(QString::fromStdString(value), statementTimeoutFromIni(iniPath));
}

} // namespace db
