#include "SqlRun.h"

#include <QSqlQuery>

namespace dbtools {

void fail(const QString& text) {
    throw platform::AppError(text);
}

void fail(const QString& what, const QSqlError& error) {
    fail(QStringLiteral("%1: %2").arg(what, error.text()));
}

void run(db::TADOConnection& connection, const QString& statement) {
    QSqlQuery query(connection.database());
    connection.exec(query, statement, statement);
}

QVariant single(db::TADOConnection& connection, const QString& statement,
                const QVariantList& values) {
    QSqlQuery query(connection.database());
    connection.prepare(query, statement);
    for (const QVariant& value : values)
        query.addBindValue(value);
    connection.exec(query, statement);
    if (!query.next())
        fail(QStringLiteral("%1: no row").arg(statement));
    return query.value(0);
}

} // namespace dbtools
