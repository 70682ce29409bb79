#include "PreparedRowWriter.h"

#include "SqlRun.h"

#include <stdexcept>

namespace dbtools {

PreparedRowWriter::PreparedRowWriter(const QSqlDatabase& database, const QString& table,
                                     const QStringList& columnNames)
    : database(database), query(database), columns(columnNames.size()) {
    QStringList marks;
    for (qsizetype column = 0; column < columns; ++column)
        marks.append(QStringLiteral("?"));
    const QString statement =
        insertHead(table, columnNames) + u'(' + marks.join(QStringLiteral(", ")) + u')';
    if (!query.prepare(statement))
        fail(statement, query.lastError());
}

void PreparedRowWriter::add(const QVariantList& values) {
    if (values.size() != columns)
        throw std::invalid_argument("a row with the wrong number of values");
    for (qsizetype column = 0; column < columns; ++column)
        query.bindValue(static_cast<int>(column), values.at(column));
    if (!boundedExec(query, database))
        fail(query.lastQuery(), query.lastError());
}

} // namespace dbtools
