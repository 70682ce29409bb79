#pragma once

#include "TADOConnection.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

// Connections of the station's database layer for the tests and the benchmarks to look at and
// change the databases the tools and the workers made; each is open when returned.
inline std::unique_ptr<db::TADOConnection> openedConnection(const db::DatabaseLocation& location) {
    auto connection = std::make_unique<db::TADOConnection>(location);
    connection->database();
    return connection;
}

inline std::unique_ptr<db::TADOConnection> connectToFile(
    const QString& path,
    db::DatabaseLocation::FileAccess access = db::DatabaseLocation::FileAccess::ReadOnly) {
    return openedConnection(db::DatabaseLocation::file(path, access));
}

inline std::unique_ptr<db::TADOConnection> connectToServer(const QString& connection) {
    return openedConnection(db::DatabaseLocation::server(connection));
}
