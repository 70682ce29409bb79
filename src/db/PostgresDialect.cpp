#include "ServerDatabase.h"
#include "SqlDialect.h"

#include <QSqlDriver>
#include <QVariant>
#include <libpq-fe.h>

namespace db {

namespace {

// The table of the current search path with this name.
const QString tableOid = QStringLiteral(
    "(SELECT c.oid FROM pg_class c WHERE c.relname = ? AND pg_table_is_visible(c.oid))");

class PostgresDialect : public SqlDialect {
public:
    Engine engine() const override { return Engine::Postgres; }

    QSqlDatabase addDatabase(const QString& connectionName,
                             const DatabaseLocation& location) const override {
        return addServerDatabase(connectionName, location.target(), location.statementTimeout());
    }

    QString engineStatement(const QString& statement) const override {
        return postgresStatement(statement);
    }

    bool statementsCostRoundTrips() const override { return true; }

    // Backslashes in text are plain characters, as on SQLite.
    QStringList sessionStatements() const override {
        return {QStringLiteral("SET standard_conforming_strings = on")};
    }

    // Rows are locked as they are updated; a row changed by another station since it was read
    // no longer matches and is not updated.
    QString beginWrite() const override { return QStringLiteral("BEGIN"); }

    QString primaryKeyQuery() const override {
        return QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a "
                              "ON a.attrelid = i.indrelid AND a.attnum = ANY (i.indkey) "
                              "WHERE i.indisprimary AND i.indrelid = %1 "
                              "ORDER BY array_position(i.indkey::int2[], a.attnum)")
            .arg(tableOid);
    }

    QString tableColumnsQuery() const override {
        return QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = %1 "
                              "AND attnum > 0 AND NOT attisdropped ORDER BY attnum")
            .arg(tableOid);
    }

    QString columnName(const QString& engineName, const QString& statement) const override {
        return spellingIn(statement, engineName);
    }

    // The driver names the tables of a result only when it holds the whole result.
    bool readsForwardOnly() const override { return false; }

    QString yesNoType() const override { return QStringLiteral("BOOLEAN"); }

    // REAL would be single precision here.
    QString realType() const override { return QStringLiteral("DOUBLE PRECISION"); }

    QString dayType() const override { return QStringLiteral("DATE"); }

    QString momentType() const override { return QStringLiteral("TIMESTAMP WITH TIME ZONE"); }

    // Like is sent as lower(name) LIKE lower(text) (toEngineStatement); the pattern operators
    // let the index serve it whatever the database's collation.
    int socketOf(const QSqlDatabase& database) const override {
        const QVariant handle = database.driver()->handle();
        // The driver names the type by its typedef or by the struct behind it.
        if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 &&
                                  qstrcmp(handle.typeName(), "pg_conn*") != 0))
            return -1;
        return PQsocket(*static_cast<PGconn* const*>(handle.constData()));
    }

    // query_canceled (the statement time-out), lock_not_available (the lock time-out) and
    // idle_in_transaction_session_timeout.
    bool isTimeout(const QString& nativeErrorCode) const override {
        return nativeErrorCode == QStringLiteral("57014") ||
               nativeErrorCode == QStringLiteral("55P03") ||
               nativeErrorCode == QStringLiteral("25P03");
    }

    QString caseFreeIndexKey(const QString& column) const override {
        return QStringLiteral("lower(%1) text_pattern_ops").arg(column);
    }
};

} // namespace

std::unique_ptr<SqlDialect> postgresDialect() {
    return std::make_unique<PostgresDialect>();
}

} // namespace db
