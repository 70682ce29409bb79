#include "Connection.h"

#include "ServerDatabase.h"
#include "SqlRun.h"

#include <QFileInfo>
#include <QUuid>

namespace dbtools {

namespace {

const QString fileDriver = QStringLiteral("QSQLITE");

} // namespace

std::unique_ptr<Connection> Connection::file(const QString& path, bool readOnly) {
    if (readOnly && !QFileInfo(path).isFile())
        fail(QStringLiteral("%1: no such file").arg(path));
    std::unique_ptr<Connection> connection(new Connection);
    connection->database_ = QSqlDatabase::addDatabase(fileDriver, connection->name);
    connection->database_.setDatabaseName(path);
    if (readOnly)
        connection->database_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    connection->open(path);
    return connection;
}

std::unique_ptr<Connection> Connection::server(const QString& connection) {
    std::unique_ptr<Connection> result(new Connection);
    result->database_ = db::addServerDatabase(result->name, connection);
    result->open(QStringLiteral("the server"));
    return result;
}

// The only handle to the connection is database_, so that nothing holds it when it is removed.
Connection::Connection()
    : name(QStringLiteral("dbtools-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Connection::~Connection() {
    if (inTransaction)
        database_.rollback();
    database_.close();
    database_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

void Connection::open(const QString& what) {
    if (!database_.open())
        fail(what, database_.lastError());
}

void Connection::begin() {
    if (!database_.transaction())
        fail(QStringLiteral("BEGIN"), database_.lastError());
    inTransaction = true;
}

void Connection::commit() {
    if (!database_.commit())
        fail(QStringLiteral("COMMIT"), database_.lastError());
    inTransaction = false;
}

db::Engine engineOf(const QSqlDatabase& database) {
    return database.driverName() == fileDriver ? db::Engine::Sqlite : db::Engine::Postgres;
}

} // namespace dbtools
