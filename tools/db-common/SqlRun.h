#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace dbtools {

// Failures throw std::runtime_error with a readable text, the driver's text after `what`.
[[noreturn]] void fail(const QString& text);
[[noreturn]] void fail(const QString& what, const QSqlError& error);

// Runs a statement whose rows, if any, are not needed.
void run(const QSqlDatabase& database, const QString& statement);

// The first value of the first row, such as a count.
QVariant single(const QSqlDatabase& database, const QString& statement,
                const QVariantList& values = {});

} // namespace dbtools
