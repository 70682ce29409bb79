#include "RowWriter.h"

#include "BatchRowWriter.h"
#include "PreparedRowWriter.h"

namespace dbtools {

std::unique_ptr<RowWriter> rowWriter(const QSqlDatabase& database, const Table& table) {
    if (database.driverName() == QStringLiteral("QSQLITE"))
        return std::make_unique<PreparedRowWriter>(database, table);
    return std::make_unique<BatchRowWriter>(database, table);
}

} // namespace dbtools
