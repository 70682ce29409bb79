#pragma once

#include "PrescriptionTables.h"
#include "StatementText.h"

#include <QSqlDatabase>
#include <QStringList>

namespace dbtools {

// The statements that make the given tables and their indexes on an engine, one per entry, with
// those of the tables' optional columns that are named. Names are written unquoted, so that a
// server keeps them as the station writes them in its statements (SerialNumber as serialnumber).
QStringList tableStatements(db::Engine engine, const QList<Table>& tables,
                            const QStringList& optionalColumns);

// Those of allTables(): the four prescription tables and the audit table.
QStringList tableStatements(db::Engine engine, const QStringList& optionalColumns = {});

// Makes allTables() in an empty database of a Connection. Failures throw std::runtime_error.
void createTables(const QSqlDatabase& database, const QStringList& optionalColumns = {});

} // namespace dbtools
