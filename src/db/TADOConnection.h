#pragma once

#include "DatabaseLocation.h"
#include "StatementWatchdog.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class QSqlDatabase;
class QSqlQuery;
class QSqlRecord;

namespace db {

class SqlDialect;

// One column of a fetched result. `table` and `column` name the base table column it was read
// from; both are empty when the engine cannot tell (an expression, an alias).
struct ResultColumn {
    QString name;
    QString table;
    QString column;
};

// A whole result, fetched at once.
struct ResultSet {
    QList<ResultColumn> columns;
    QList<QVariantList> rows;
};

struct ColumnValue {
    QString column;
    QVariant value;
};

// One row of one table to change: `set` holds the new values, `match` the values the row must
// still hold (compared NULL-safely) for the change to be made.
struct RowUpdate {
    QString table;
    QList<ColumnValue> set;
    QList<ColumnValue> match;
};

// One row to add to a table. Only the columns the table has are written, and a row of a table
// the database does not have is not written at all: databases made before a table keep working.
struct RowInsert {
    QString table;
    QList<ColumnValue> values;
};

enum class UpdateOutcome {
    Updated,     // every row was found once and changed; the change is committed
    RowNotFound, // some row no longer held the values matched; nothing was changed
    RowNotUnique // some match found several rows; nothing was changed
};

// The connection to the prescription database, the one place that knows the engines: a file
// (never created: a missing file is an error, and a file busy with another station's write is
// waited for a few seconds) or a PostgreSQL server. The connection opens with the first
// statement and stays open; a failed opening is tried again by the next statement, and a failed
// statement closes it, so that a server that went away is reached again once it is back. On a
// server every statement ends within the location's statement time-out, whatever the server,
// the network or another session's locks do.
// Every failure raises platform::AppError with the engine's text. One thread at a time.
class TADOConnection {
public:
    // A result larger than this is refused rather than exhausting memory.
    static constexpr qsizetype maxRows = 100000;

    explicit TADOConnection(const DatabaseLocation& location = DatabaseLocation::file());
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    bool Connected() const;
    const DatabaseLocation& location() const { return location_; }

    // Runs a statement of the station's dialect (see StatementText.h) and returns its
    // whole result; a statement without a result gives an empty one.
    ResultSet fetch(const QString& statement);

    // The primary key columns of a table, in key order; empty when it has none.
    QStringList primaryKey(const QString& table);

    // The columns of a table, in order; empty when the database has no such table.
    QStringList columnsOf(const QString& table);

    // Makes all updates and adds the rows `alongside` in one transaction, committed durably
    // before returning Updated; when any of it fails nothing is written. Every update sets and
    // matches at least one column.
    UpdateOutcome update(const QList<RowUpdate>& updates, const QList<RowInsert>& alongside = {});

    // For the programs that make, copy and load whole databases: statements in the engine's own
    // SQL, not rewritten, each within the statement bound as the station's are.
    const SqlDialect& dialect() const { return *dialect_; }
    // The open connection, for the queries given to exec() and for the driver's formatting.
    QSqlDatabase database();
    // Prepares the query of database() for `statement`; a refusal names the statement.
    void prepare(QSqlQuery& query, const QString& statement);
    // Runs the query as prepared, or `statement` on it; a refusal's text begins with `what`.
    void exec(QSqlQuery& query, const QString& what, const QString& statement = {});
    // The columns of a table with the types the driver reads them as; empty when it has none.
    QSqlRecord recordOf(const QString& table);
    // Every statement from here to commit() is one transaction. One still open when the
    // connection closes is rolled back, and a connection lost within it is not opened again
    // until the next begin().
    void begin();
    void commit();

private:
    void close();
    // Opens the connection when it is closed and runs `step` within the statement bound; a
    // failure closes the connection before it goes on to the caller, and a statement that ran
    // out is reported as such.
    template <typename Step> auto bounded(Step step);
    struct Insert {
        QString statement;
        QVariantList values;
    };
    // The statements adding the rows with the columns their tables have; none for a row whose
    // table the database lacks.
    QList<Insert> insertsOf(const QList<RowInsert>& rows);
    QStringList namesOf(const QString& namesQuery, const QString& table);
    // The names the query gives for the table, asked once per opening: every statement on a
    // server costs a round trip.
    QStringList cachedNamesOf(QHash<QString, QStringList>& cache, const QString& namesQuery,
                              const QString& table);

    DatabaseLocation location_;
    std::unique_ptr<SqlDialect> dialect_;
    StatementWatchdog watchdog_;
    QString connectionName_;
    QHash<QString, QStringList> columnsOfTable_;
    QHash<QString, QStringList> keyOfTable_;
    bool inTransaction_ = false;
};

} // namespace db
