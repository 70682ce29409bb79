#pragma once

#include <QSqlDatabase>
#include <QString>

namespace db {

// Adds a PostgreSQL connection named `connectionName` for a libpq connection text (checked as
// DatabaseLocation::server checks it) with the station's connect time-out; the caller opens it.
// Raises platform::AppError for a text DatabaseLocation refuses.
QSqlDatabase addServerDatabase(const QString& connectionName, const QString& connection);

} // namespace db
