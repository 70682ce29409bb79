#include "RowWriter.h"

#include "BatchRowWriter.h"
#include "Connection.h"
#include "PreparedRowWriter.h"

namespace dbtools {

std::unique_ptr<RowWriter> rowWriter(const QSqlDatabase& database, const QString& table,
                                     const QStringList& columns) {
    if (engineOf(database) == db::Engine::Sqlite)
        return std::make_unique<PreparedRowWriter>(database, table, columns);
    return std::make_unique<BatchRowWriter>(database, table, columns);
}

QString insertHead(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ")
        .arg(table, columns.join(QStringLiteral(", ")));
}

} // namespace dbtools
