#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace dbtools {

// The prescription tables in a PostgreSQL database. Failures throw std::runtime_error.

// Those of the four tables the database has, in the order of prescriptionTables().
QStringList existingTables(const QSqlDatabase& server);

// Gathers the planner's statistics of the four tables: right after a load the server would
// otherwise scan whole tables for the station's statements. Outside a transaction.
void analyzeTables(const QSqlDatabase& server);

// Drops the four tables; a table of someone else's that refers to them makes it fail.
void dropTables(const QSqlDatabase& server);

} // namespace dbtools
