#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace dbtools {

// Failures throw std::runtime_error with a readable text, the driver's text after `what`.
[[noreturn]] void fail(const QString& text);
[[noreturn]] void fail(const QString& what, const QSqlError& error);

// Runs the query (as prepared, or the statement given) on its database. On a server the call is
// bounded as the station's statements are: a server that takes the connection and then never
// answers has its socket shut once the bound has passed, and the call fails as not answered.
bool boundedExec(QSqlQuery& query, const QSqlDatabase& database, const QString& statement = {});

// Runs a statement whose rows, if any, are not needed.
void run(const QSqlDatabase& database, const QString& statement);

// The first value of the first row, such as a count.
QVariant single(const QSqlDatabase& database, const QString& statement,
                const QVariantList& values = {});

} // namespace dbtools
