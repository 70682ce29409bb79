#pragma once

#include "DatabaseLocation.h"

#include <QSqlDatabase>
#include <QString>
#include <chrono>

namespace db {

// Adds a PostgreSQL connection named `connectionName` for a libpq connection text (checked as
// DatabaseLocation::server checks it); the caller opens it. The connection and each statement
// on it are bounded by statementTimeout on the server's side and on the network's: the server
// cancels a statement or a lock wait that runs out and ends a transaction left idle, and a
// connection that goes quiet is given up. Only a server that takes the connection and then says
// nothing at all needs the client's own watch (StatementWatchdog).
// Raises platform::AppError for a text DatabaseLocation refuses.
QSqlDatabase addServerDatabase(
    const QString& connectionName, const QString& connection,
    std::chrono::seconds statementTimeout = DatabaseLocation::defaultStatementTimeout);

// What a statement that ran out of its bound reports.
QString notAnsweredText(std::chrono::seconds bound);

} // namespace db
