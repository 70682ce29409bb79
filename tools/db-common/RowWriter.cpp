#include "RowWriter.h"

#include "BatchRowWriter.h"
#include "PreparedRowWriter.h"
#include "SqlDialect.h"
#include "TADOConnection.h"

namespace dbtools {

std::unique_ptr<RowWriter> rowWriter(db::TADOConnection& connection, const QString& table,
                                     const QStringList& columns) {
    if (connection.dialect().statementsCostRoundTrips())
        return std::make_unique<BatchRowWriter>(connection, table, columns);
    return std::make_unique<PreparedRowWriter>(connection, table, columns);
}

QString insertHead(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ")
        .arg(table, columns.join(QStringLiteral(", ")));
}

} // namespace dbtools
