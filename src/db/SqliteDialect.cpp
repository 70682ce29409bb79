#include "SqlDialect.h"

#include <QUrl>

namespace db {

namespace {

// Time to wait for a database another station is writing.
constexpr int busyTimeoutMs = 5000;

// rw opens an existing file only, never creates one.
QString openMode(DatabaseLocation::FileAccess access) {
    switch (access) {
    case DatabaseLocation::FileAccess::New:
        return QStringLiteral("rwc");
    case DatabaseLocation::FileAccess::ReadOnly:
        return QStringLiteral("ro");
    case DatabaseLocation::FileAccess::Existing:
        break;
    }
    return QStringLiteral("rw");
}

class SqliteDialect : public SqlDialect {
public:
    Engine engine() const override { return Engine::Sqlite; }

    QSqlDatabase addDatabase(const QString& connectionName,
                             const DatabaseLocation& location) const override {
        QSqlDatabase database =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        database.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        database.setDatabaseName(
            QStringLiteral("file:%1?mode=%2")
                .arg(QString::fromLatin1(QUrl::toPercentEncoding(location.target(), "/")),
                     openMode(location.fileAccess())));
        return database;
    }

    QString engineStatement(const QString& statement) const override {
        return sqliteStatement(statement);
    }

    bool statementsCostRoundTrips() const override { return false; }

    // A commit is on disk when it returns.
    QStringList sessionStatements() const override {
        return {QStringLiteral("PRAGMA synchronous = FULL")};
    }

    // Takes the write lock at once, so two writers never deadlock on an upgrade.
    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

    QString primaryKeyQuery() const override {
        return QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk");
    }

    QString tableColumnsQuery() const override {
        return QStringLiteral("SELECT name FROM pragma_table_info(?)");
    }

    QString columnName(const QString& engineName, const QString&) const override {
        return engineName;
    }

    bool readsForwardOnly() const override { return true; }

    // SQLite has no yes/no type: 1 is yes, 0 no.
    QString yesNoType() const override { return QStringLiteral("INTEGER"); }

    QString realType() const override { return QStringLiteral("REAL"); }

    // No day type either: a day is text yyyy-MM-dd, which sorts and compares as the days do.
    QString dayType() const override { return QStringLiteral("TEXT"); }

    // Nor a moment type: ISO 8601 text with milliseconds and the writer's offset
    // (Qt::ISODateWithMs), which keeps the local time the station saw.
    QString momentType() const override { return QStringLiteral("TEXT"); }

    int socketOf(const QSqlDatabase&) const override { return -1; }

    // A file busy beyond the busy time-out keeps the engine's own words.
    bool isTimeout(const QString&) const override { return false; }

    QString caseFreeIndexKey(const QString& column) const override {
        return column + QStringLiteral(" COLLATE NOCASE");
    }
};

} // namespace

std::unique_ptr<SqlDialect> sqliteDialect() {
    return std::make_unique<SqliteDialect>();
}

} // namespace db
