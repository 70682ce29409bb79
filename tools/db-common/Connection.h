#pragma once

#include "StatementText.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace dbtools {

// A connection of its own, removed with this object. A transaction still open then is rolled
// back, so that a failure anywhere keeps nothing. Failures throw std::runtime_error.
class Connection {
public:
    // An SQLite file. A read-only one must exist: it is never created.
    static std::unique_ptr<Connection> file(const QString& path, bool readOnly);
    // A PostgreSQL database reached by a libpq connection text or service name.
    static std::unique_ptr<Connection> server(const QString& connection);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QSqlDatabase& database() const { return database_; }
    void begin();
    void commit();

private:
    Connection();
    void open(const QString& what);

    QString name;
    QSqlDatabase database_;
    bool inTransaction = false;
};

// The engine of a Connection's database: a file is SQLite, a server PostgreSQL.
db::Engine engineOf(const QSqlDatabase& database);

} // namespace dbtools
