#include "TADOConnection.h"

#include "AppError.h"
#include "SqliteText.h"

#include <QAtomicInteger>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace db {

namespace {

QString engineText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
}

[[noreturn]] void raise(const QSqlError& error) {
    throw platform::AppError(engineText(error));
}

QString nextConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("dsp_db_%1").arg(counter.fetchAndAddRelaxed(1));
}

void run(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        raise(query.lastError());
}

// BEGIN IMMEDIATE takes the write lock at once, so two writers never deadlock on an upgrade.
class WriteTransaction {
public:
    explicit WriteTransaction(const QSqlDatabase& database) : query_(database) {
        run(query_, QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteTransaction() {
        if (!done_)
            query_.exec(QStringLiteral("ROLLBACK"));
    }
    void commit() {
        run(query_, QStringLiteral("COMMIT"));
        done_ = true;
    }

private:
    QSqlQuery query_;
    bool done_ = false;
};

QString updateStatement(const RowUpdate& update) {
    QStringList assignments;
    for (const ColumnValue& value : update.set)
        assignments << quotedSqliteName(value.column) + QStringLiteral(" = ?");
    QStringList conditions;
    for (const ColumnValue& value : update.match)
        conditions << quotedSqliteName(value.column) + QStringLiteral(" IS ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(quotedSqliteName(update.table), assignments.join(QStringLiteral(", ")),
             conditions.join(QStringLiteral(" AND ")));
}

ResultColumn describeColumn(const QString& name, const QString& table, const QStringList& columns) {
    if (table.isEmpty())
        return {name, {}, {}};
    if (columns.contains(name, Qt::CaseInsensitive))
        return {name, table, name};
    // SQLite names a column of a parenthesised join "name:N" when the join holds the name twice.
    static const QRegularExpression numbered(QStringLiteral("^(.+):\\d+$"));
    const QRegularExpressionMatch match = numbered.match(name);
    if (match.hasMatch() && columns.contains(match.captured(1), Qt::CaseInsensitive))
        return {match.captured(1), table, match.captured(1)};
    return {name, table, {}};
}

} // namespace

TADOConnection::TADOConnection(const QString& fileName) : connectionName_(nextConnectionName()) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    database.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    // mode=rw: open an existing file only, never create one.
    database.setDatabaseName(QStringLiteral("file:%1?mode=rw")
                                 .arg(QString::fromLatin1(QUrl::toPercentEncoding(fileName, "/"))));
}

TADOConnection::~TADOConnection() {
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
}

bool TADOConnection::Connected() const {
    return QSqlDatabase::database(connectionName_, false).isOpen();
}

void TADOConnection::ensureOpen() {
    QSqlDatabase database = QSqlDatabase::database(connectionName_, false);
    if (database.isOpen())
        return;
    if (!database.open())
        raise(database.lastError());
    QSqlQuery pragma(database);
    // A commit is on disk when it returns.
    if (!pragma.exec(QStringLiteral("PRAGMA synchronous = FULL"))) {
        const QSqlError error = pragma.lastError();
        database.close();
        raise(error);
    }
}

ResultSet TADOConnection::fetch(const QString& statement) {
    ensureOpen();
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    run(query, toSqliteLiterals(statement));
    ResultSet result;
    const QSqlRecord record = query.record();
    QHash<QString, QStringList> columnsOfTable;
    for (int i = 0; i < record.count(); ++i) {
        const QString table = record.field(i).tableName();
        if (!table.isEmpty() && !columnsOfTable.contains(table))
            columnsOfTable.insert(table, tableColumns(table));
        result.columns << describeColumn(record.fieldName(i), table, columnsOfTable.value(table));
    }
    while (query.next()) {
        if (result.rows.size() >= maxRows)
            throw platform::AppError(
                QStringLiteral("The result has more than %1 rows").arg(maxRows));
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        result.rows << row;
    }
    if (query.lastError().isValid())
        raise(query.lastError());
    return result;
}

QStringList TADOConnection::primaryKey(const QString& table) {
    ensureOpen();
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"));
    query.addBindValue(table);
    if (!query.exec())
        raise(query.lastError());
    QStringList key;
    while (query.next())
        key << query.value(0).toString();
    return key;
}

QStringList TADOConnection::tableColumns(const QString& table) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    query.addBindValue(table);
    if (!query.exec())
        raise(query.lastError());
    QStringList columns;
    while (query.next())
        columns << query.value(0).toString();
    return columns;
}

UpdateOutcome TADOConnection::update(const QList<RowUpdate>& updates) {
    ensureOpen();
    const QSqlDatabase database = QSqlDatabase::database(connectionName_, false);
    WriteTransaction transaction(database);
    for (const RowUpdate& row : updates) {
        Q_ASSERT(!row.set.isEmpty() && !row.match.isEmpty());
        QSqlQuery query(database);
        if (!query.prepare(updateStatement(row)))
            raise(query.lastError());
        for (const ColumnValue& value : row.set)
            query.addBindValue(value.value);
        for (const ColumnValue& value : row.match)
            query.addBindValue(value.value);
        if (!query.exec())
            raise(query.lastError());
        const int changed = query.numRowsAffected();
        if (changed == 0)
            return UpdateOutcome::RowNotFound;
        if (changed > 1)
            return UpdateOutcome::RowNotUnique;
    }
    transaction.commit();
    return UpdateOutcome::Updated;
}

} // namespace db
