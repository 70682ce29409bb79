#include "ServerDatabase.h"

#include "AppError.h"
#include "DatabaseLocation.h"

#include <algorithm>

namespace db {

namespace {

// Before the caller's text, so that the caller's own values win. The server answers a statement
// that ran out half a second before the client gives up on it, so that the client sees its clean
// error and keeps the connection.
QString stationOptions(std::chrono::seconds bound) {
    const long long boundMs = std::chrono::milliseconds(bound).count();
    const long long serverMs = std::max(500LL, boundMs - 500);
    return QStringLiteral("connect_timeout=%1 application_name=dispensing-station "
                          "keepalives=1 keepalives_idle=%1 keepalives_interval=1 "
                          "keepalives_count=3 tcp_user_timeout=%2 "
                          "options='-c statement_timeout=%3 -c lock_timeout=%3 "
                          "-c idle_in_transaction_session_timeout=%2' ")
        // libpq takes no connect time-out below 2 s.
        .arg(std::max<long long>(2, bound.count()))
        .arg(boundMs)
        .arg(serverMs);
}

} // namespace

QSqlDatabase addServerDatabase(const QString& connectionName, const QString& connection,
                               std::chrono::seconds statementTimeout) {
    const DatabaseLocation location = DatabaseLocation::server(connection);
    if (!location.fault().isEmpty())
        throw platform::AppError(location.fault());
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    // The driver appends the options to its own keys; with no host, name or user set, they are
    // the whole connection text.
    database.setConnectOptions(stationOptions(statementTimeout) + location.target());
    return database;
}

QString notAnsweredText(std::chrono::seconds bound) {
    return QStringLiteral("the database did not answer within %1 s").arg(bound.count());
}

} // namespace db
