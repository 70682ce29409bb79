#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

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

enum class UpdateOutcome {
    Updated,     // every row was found once and changed; the change is committed
    RowNotFound, // some row no longer held the values matched; nothing was changed
    RowNotUnique // some match found several rows; nothing was changed
};

// The connection to the prescription database, the one place that knows the engine (SQLite).
// The file is never created: a missing file is an error. The connection opens with the first
// statement and stays open; a failed opening is tried again by the next statement. The file is
// shared with other processes; a database busy elsewhere is waited for a few seconds.
// Every failure raises platform::AppError with the engine's text. UI thread only.
class TADOConnection {
public:
    static constexpr int busyTimeoutMs = 5000;
    // A result larger than this is refused rather than exhausting memory.
    static constexpr qsizetype maxRows = 100000;

    static QString defaultFileName() { return QStringLiteral("藥袋正規化.db"); }

    // fileName is looked for relative to the current working directory at each opening.
    explicit TADOConnection(const QString& fileName = defaultFileName());
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    bool Connected() const;

    // Runs a statement of the station's dialect (double quotes delimit text) and returns its
    // whole result; a statement without a result gives an empty one.
    ResultSet fetch(const QString& statement);

    // The primary key columns of a table, in key order; empty when it has none.
    QStringList primaryKey(const QString& table);

    // Makes all updates in one transaction, committed durably before returning Updated. Every
    // update sets and matches at least one column.
    UpdateOutcome update(const QList<RowUpdate>& updates);

private:
    void ensureOpen();
    QStringList tableColumns(const QString& table);

    QString connectionName_;
};

} // namespace db
