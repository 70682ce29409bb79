#pragma once

#include "DatabaseLocation.h"
#include "StatementText.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

namespace db {

// What the connection does differently on each engine; everything else is shared.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    virtual Engine engine() const = 0;
    // Adds the driver's connection for the location; opening it is the caller's.
    virtual QSqlDatabase addDatabase(const QString& connectionName,
                                     const DatabaseLocation& location) const = 0;
    // A statement of the station's dialect as the engine takes it (toEngineStatement).
    virtual QString engineStatement(const QString& statement) const = 0;
    // Whether each statement costs a round trip to a server, so that rows are better sent many
    // to a statement than one prepared statement per row.
    virtual bool statementsCostRoundTrips() const = 0;
    // Run after every opening.
    virtual QStringList sessionStatements() const = 0;
    // Starts a transaction that will write.
    virtual QString beginWrite() const = 0;
    // Take the table name as their one value; give one column name per row, in order.
    virtual QString primaryKeyQuery() const = 0;
    virtual QString tableColumnsQuery() const = 0;
    // The name of a result's column as the station's statement spelled it.
    virtual QString columnName(const QString& engineName, const QString& statement) const = 0;
    // Whether a result may be read forward only and still name its columns' tables.
    virtual bool readsForwardOnly() const = 0;
    // The types a table declares for a yes/no, a real number, a day and a moment column.
    virtual QString yesNoType() const = 0;
    virtual QString realType() const = 0;
    virtual QString dayType() const = 0;
    virtual QString momentType() const = 0;
    // An index key on the column that serves the station's Like, which compares regardless of
    // case.
    virtual QString caseFreeIndexKey(const QString& column) const = 0;
    // The socket of an open connection for StatementWatchdog; -1 where the engine's own waits
    // are bounded (a file's busy time-out).
    virtual int socketOf(const QSqlDatabase& database) const = 0;
    // Whether the engine's error means it gave up a statement or a lock wait that ran out.
    virtual bool isTimeout(const QString& nativeErrorCode) const = 0;
};

std::unique_ptr<SqlDialect> dialectFor(const DatabaseLocation& location);
std::unique_ptr<SqlDialect> dialectFor(Engine engine);
std::unique_ptr<SqlDialect> sqliteDialect();
std::unique_ptr<SqlDialect> postgresDialect();

} // namespace db
