#pragma once

#include "AppError.h"
#include "TADOConnection.h"

#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace dbtools {

// The tools' refusals raise platform::AppError with a readable text, as the database layer's
// failures do; the driver's text follows `what`.
[[noreturn]] void fail(const QString& text);
[[noreturn]] void fail(const QString& what, const QSqlError& error);

// Runs `step`; its failure's text begins with where it happened.
template <typename Step> auto naming(const QString& where, Step step) {
    try {
        return step();
    } catch (const platform::AppError& error) {
        fail(QStringLiteral("%1: %2").arg(where, error.text()));
    }
}

// Runs a statement of the engine's own SQL whose rows, if any, are not needed.
void run(db::TADOConnection& connection, const QString& statement);

// The first value of the first row, such as a count.
QVariant single(db::TADOConnection& connection, const QString& statement,
                const QVariantList& values = {});

} // namespace dbtools
