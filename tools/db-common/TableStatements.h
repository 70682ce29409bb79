#pragma once

#include "PrescriptionTables.h"
#include "StatementText.h"

#include <QStringList>

namespace db {
class TADOConnection;
}

namespace dbtools {

// The statements that make the given tables and their indexes on an engine, one per entry, with
// those of the tables' optional columns that are named. Names are written unquoted, so that a
// server keeps them as the station writes them in its statements (SerialNumber as serialnumber).
QStringList tableStatements(db::Engine engine, const QList<Table>& tables,
                            const QStringList& optionalColumns);

// Those of allTables(): the four prescription tables and the audit table.
QStringList tableStatements(db::Engine engine, const QStringList& optionalColumns = {});

// Makes allTables() in an empty database. Failures raise platform::AppError.
void createTables(db::TADOConnection& connection, const QStringList& optionalColumns = {});

} // namespace dbtools
