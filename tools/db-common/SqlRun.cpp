#include "SqlRun.h"

#include "Connection.h"
#include "ServerDatabase.h"
#include "SqlDialect.h"
#include "StatementWatchdog.h"

#include <stdexcept>

namespace dbtools {

void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

void fail(const QString& what, const QSqlError& error) {
    fail(QStringLiteral("%1: %2").arg(what, error.text()));
}

bool boundedExec(QSqlQuery& query, const QSqlDatabase& database, const QString& statement) {
    if (engineOf(database) == db::Engine::Sqlite)
        return statement.isNull() ? query.exec() : query.exec(statement);
    // The tools run one statement at a time, on one thread.
    static db::StatementWatchdog watchdog;
    const auto bound = db::DatabaseLocation::defaultStatementTimeout;
    watchdog.arm(db::postgresDialect()->socketOf(database), bound);
    const bool done = statement.isNull() ? query.exec() : query.exec(statement);
    if (watchdog.disarm())
        fail(db::notAnsweredText(bound));
    return done;
}

void run(const QSqlDatabase& database, const QString& statement) {
    QSqlQuery query(database);
    if (!boundedExec(query, database, statement))
        fail(statement, query.lastError());
}

QVariant single(const QSqlDatabase& database, const QString& statement,
                const QVariantList& values) {
    QSqlQuery query(database);
    if (!query.prepare(statement))
        fail(statement, query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!boundedExec(query, database))
        fail(statement, query.lastError());
    if (!query.next())
        fail(QStringLiteral("%1: no row").arg(statement));
    return query.value(0);
}

} // namespace dbtools
