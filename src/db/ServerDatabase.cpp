#include "ServerDatabase.h"

#include "AppError.h"
#include "DatabaseLocation.h"

namespace db {

namespace {

// Before the caller's text, so that the caller's own values win.
const QString stationOptions =
    QStringLiteral("connect_timeout=10 application_name=dispensing-station ");

} // namespace

QSqlDatabase addServerDatabase(const QString& connectionName, const QString& connection) {
    const DatabaseLocation location = DatabaseLocation::server(connection);
    if (!location.fault().isEmpty())
        throw platform::AppError(location.fault());
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    // The driver appends the options to its own keys; with no host, name or user set, they are
    // the whole connection text.
    database.setConnectOptions(stationOptions + location.target());
    return database;
}

} // namespace db
