#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace dbtools {

// The tables of allTables() in a PostgreSQL database. Failures throw std::runtime_error.

// Those of the tables the database has, in the order of allTables().
QStringList existingTables(const QSqlDatabase& server);

// Gathers the planner's statistics of the tables it has: right after a load the server would
// otherwise scan whole tables for the station's statements. Outside a transaction.
void analyzeTables(const QSqlDatabase& server);

// Drops the tables; a table of someone else's that refers to them makes it fail.
void dropTables(const QSqlDatabase& server);

} // namespace dbtools
