#include "TADOConnection.h"

#include "AppError.h"
#include "ServerDatabase.h"
#include "SqlDialect.h"

#include <QAtomicInteger>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <chrono>

namespace db {

namespace {

QString engineText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
}

// An engine's error with its code, for telling a statement that ran out from other failures.
class EngineError : public platform::AppError {
public:
    explicit EngineError(const QSqlError& error)
        : platform::AppError(engineText(error)), code(error.nativeErrorCode()) {}
    // A tool's statement: what it was doing, and everything the driver says.
    EngineError(const QString& what, const QSqlError& error)
        : platform::AppError(QStringLiteral("%1: %2").arg(what, error.text())),
          code(error.nativeErrorCode()) {}
    QString code;
};

[[noreturn]] void raise(const QSqlError& error) {
    throw EngineError(error);
}

QString nextConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("station_db_%1").arg(counter.fetchAndAddRelaxed(1));
}

void run(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        raise(query.lastError());
}

class WriteTransaction {
public:
    WriteTransaction(const QSqlDatabase& database, const QString& begin) : query_(database) {
        run(query_, begin);
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

// NULL-safe matching that both engines can serve from an index: a NULL is matched with IS NULL
// and takes no value. Returns the values to bind, in order.
QString updateStatement(const RowUpdate& update, QVariantList& values) {
    QStringList assignments;
    for (const ColumnValue& value : update.set) {
        assignments << quotedName(value.column) + QStringLiteral(" = ?");
        values << value.value;
    }
    QStringList conditions;
    for (const ColumnValue& value : update.match) {
        if (value.value.isNull()) {
            conditions << quotedName(value.column) + QStringLiteral(" IS NULL");
            continue;
        }
        conditions << quotedName(value.column) + QStringLiteral(" = ?");
        values << value.value;
    }
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(quotedName(update.table), assignments.join(QStringLiteral(", ")),
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

TADOConnection::TADOConnection(const DatabaseLocation& location)
    : location_(location), dialect_(dialectFor(location)), connectionName_(nextConnectionName()) {
    if (location_.fault().isEmpty())
        dialect_->addDatabase(connectionName_, location_);
}

TADOConnection::~TADOConnection() {
    close();
    QSqlDatabase::removeDatabase(connectionName_);
}

bool TADOConnection::Connected() const {
    return QSqlDatabase::database(connectionName_, false).isOpen();
}

void TADOConnection::close() {
    QSqlDatabase::database(connectionName_, false).close();
    columnsOfTable_.clear();
    keyOfTable_.clear();
}

template <typename Step> auto TADOConnection::bounded(Step step) {
    if (!location_.fault().isEmpty())
        throw platform::AppError(location_.fault());
    const auto start = std::chrono::steady_clock::now();
    QSqlDatabase database = QSqlDatabase::database(connectionName_, false);
    const bool fresh = !database.isOpen();
    if (fresh && inTransaction_)
        throw platform::AppError(
            QStringLiteral("the connection was lost within a transaction; none of it was kept"));
    // The driver bounds the connecting itself (connect_timeout); the statement gets what is left.
    if (fresh && !database.open()) {
        const QSqlError error = database.lastError();
        close();
        raise(error);
    }
    const auto left = location_.statementTimeout() - (std::chrono::steady_clock::now() - start);
    watchdog_.arm(dialect_->socketOf(database),
                  std::chrono::duration_cast<std::chrono::milliseconds>(left));
    try {
        if (fresh) {
            QSqlQuery session(database);
            for (const QString& statement : dialect_->sessionStatements())
                run(session, statement);
        }
        auto result = step();
        // The answer came in time, but the socket may have been shut as it did.
        if (watchdog_.disarm())
            close();
        return result;
    } catch (const EngineError& error) {
        // The kernel's own time-out on a cut connection may come a moment before the watchdog;
        // the file's busy wait keeps its own message.
        const bool ranOut = watchdog_.disarm() || dialect_->isTimeout(error.code) ||
                            (location_.isServer() && std::chrono::steady_clock::now() - start >=
                                                         location_.statementTimeout());
        close();
        if (ranOut)
            throw platform::AppError(notAnsweredText(location_.statementTimeout()));
        throw;
    } catch (const platform::AppError&) {
        watchdog_.disarm();
        close();
        throw;
    }
}

ResultSet TADOConnection::fetch(const QString& statement) {
    return bounded([&] {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        query.setForwardOnly(dialect_->readsForwardOnly());
        run(query, toEngineStatement(statement, dialect_->engine()));
        ResultSet result;
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            const QString table = record.field(i).tableName();
            const QStringList columns =
                table.isEmpty()
                    ? QStringList()
                    : cachedNamesOf(columnsOfTable_, dialect_->tableColumnsQuery(), table);
            ResultColumn column = describeColumn(record.fieldName(i), table, columns);
            column.name = dialect_->columnName(column.name, statement);
            result.columns << column;
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
    });
}

QStringList TADOConnection::primaryKey(const QString& table) {
    return bounded([&] { return cachedNamesOf(keyOfTable_, dialect_->primaryKeyQuery(), table); });
}

QStringList TADOConnection::columnsOf(const QString& table) {
    return bounded(
        [&] { return cachedNamesOf(columnsOfTable_, dialect_->tableColumnsQuery(), table); });
}

QStringList TADOConnection::cachedNamesOf(QHash<QString, QStringList>& cache,
                                          const QString& namesQuery, const QString& table) {
    const auto found = cache.constFind(table);
    if (found != cache.cend())
        return *found;
    const QStringList names = namesOf(namesQuery, table);
    cache.insert(table, names);
    return names;
}

QStringList TADOConnection::namesOf(const QString& namesQuery, const QString& table) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    if (!query.prepare(namesQuery))
        raise(query.lastError());
    query.addBindValue(table);
    if (!query.exec())
        raise(query.lastError());
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

UpdateOutcome TADOConnection::update(const QList<RowUpdate>& updates,
                                     const QList<RowInsert>& alongside) {
    return bounded([&] {
        // Looked up before the write begins: nothing to write takes no write lock.
        const QList<Insert> inserts = insertsOf(alongside);
        if (updates.isEmpty() && inserts.isEmpty())
            return UpdateOutcome::Updated;
        const QSqlDatabase database = QSqlDatabase::database(connectionName_, false);
        WriteTransaction transaction(database, dialect_->beginWrite());
        for (const RowUpdate& row : updates) {
            Q_ASSERT(!row.set.isEmpty() && !row.match.isEmpty());
            QVariantList values;
            QSqlQuery query(database);
            if (!query.prepare(updateStatement(row, values)))
                raise(query.lastError());
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec())
                raise(query.lastError());
            const int changed = query.numRowsAffected();
            if (changed == 0)
                return UpdateOutcome::RowNotFound;
            if (changed > 1)
                return UpdateOutcome::RowNotUnique;
        }
        for (const Insert& insert : inserts) {
            QSqlQuery query(database);
            if (!query.prepare(insert.statement))
                raise(query.lastError());
            for (const QVariant& value : insert.values)
                query.addBindValue(value);
            if (!query.exec())
                raise(query.lastError());
        }
        transaction.commit();
        return UpdateOutcome::Updated;
    });
}

QList<TADOConnection::Insert> TADOConnection::insertsOf(const QList<RowInsert>& rows) {
    QList<Insert> inserts;
    for (const RowInsert& row : rows) {
        const QStringList columns =
            cachedNamesOf(columnsOfTable_, dialect_->tableColumnsQuery(), row.table);
        QStringList names;
        Insert insert;
        for (const ColumnValue& value : row.values) {
            // Spelled as the table has it: a server keeps unquoted names in lower case.
            const auto column =
                std::find_if(columns.cbegin(), columns.cend(), [&](const QString& c) {
                    return c.compare(value.column, Qt::CaseInsensitive) == 0;
                });
            if (column == columns.cend())
                continue;
            names << quotedName(*column);
            insert.values << value.value;
        }
        if (names.isEmpty())
            continue;
        insert.statement =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quotedName(row.table), names.join(QStringLiteral(", ")),
                     QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        inserts << insert;
    }
    return inserts;
}

QSqlDatabase TADOConnection::database() {
    return bounded([&] { return QSqlDatabase::database(connectionName_, false); });
}

void TADOConnection::prepare(QSqlQuery& query, const QString& statement) {
    bounded([&] {
        if (!query.prepare(statement))
            throw EngineError(statement, query.lastError());
        return true;
    });
}

void TADOConnection::exec(QSqlQuery& query, const QString& what, const QString& statement) {
    bounded([&] {
        if (!(statement.isNull() ? query.exec() : query.exec(statement)))
            throw EngineError(what, query.lastError());
        return true;
    });
}

QSqlRecord TADOConnection::recordOf(const QString& table) {
    return bounded([&] { return QSqlDatabase::database(connectionName_, false).record(table); });
}

void TADOConnection::begin() {
    // A transaction lost before is over: this one may open the connection again.
    inTransaction_ = false;
    bounded([&] {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        run(query, QStringLiteral("BEGIN"));
        return true;
    });
    inTransaction_ = true;
}

void TADOConnection::commit() {
    bounded([&] {
        QSqlQuery query(QSqlDatabase::database(connectionName_, false));
        run(query, QStringLiteral("COMMIT"));
        return true;
    });
    inTransaction_ = false;
}

} // namespace db
