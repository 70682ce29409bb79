#include "PreparedRowWriter.h"

#include "TADOConnection.h"

#include <stdexcept>

namespace dbtools {

PreparedRowWriter::PreparedRowWriter(db::TADOConnection& connection, const QString& table,
                                     const QStringList& columnNames)
    : connection(connection),
      statement(insertHead(table, columnNames) + u'(' +
                QStringList(columnNames.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                u')'),
      query(connection.database()), columns(columnNames.size()) {
    connection.prepare(query, statement);
}

void PreparedRowWriter::add(const QVariantList& values) {
    if (values.size() != columns)
        throw std::invalid_argument("a row with the wrong number of values");
    for (qsizetype column = 0; column < columns; ++column)
        query.bindValue(static_cast<int>(column), values.at(column));
    connection.exec(query, statement);
}

} // namespace dbtools
