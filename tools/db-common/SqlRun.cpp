#include "SqlRun.h"

#include <QSqlQuery>
#include <stdexcept>

namespace dbtools {

void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

void fail(const QString& what, const QSqlError& error) {
    fail(QStringLiteral("%1: %2").arg(what, error.text()));
}

void run(const QSqlDatabase& database, const QString& statement) {
    QSqlQuery query(database);
    if (!query.exec(statement))
        fail(statement, query.lastError());
}

QVariant single(const QSqlDatabase& database, const QString& statement,
                const QVariantList& values) {
    QSqlQuery query(database);
    if (!query.prepare(statement))
        fail(statement, query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        fail(statement, query.lastError());
    if (!query.next())
        fail(QStringLiteral("%1: no row").arg(statement));
    return query.value(0);
}

} // namespace dbtools
