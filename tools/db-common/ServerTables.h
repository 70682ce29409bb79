#pragma once

#include <QStringList>

namespace db {
class TADOConnection;
}

namespace dbtools {

// The tables of allTables() in a PostgreSQL database. Failures raise platform::AppError.

// Those of the tables the database has, in the order of allTables().
QStringList existingTables(db::TADOConnection& server);

// Gathers the planner's statistics of the tables it has: right after a load the server would
// otherwise scan whole tables for the station's statements. Outside a transaction.
void analyzeTables(db::TADOConnection& server);

// Drops the tables; a table of someone else's that refers to them makes it fail.
void dropTables(db::TADOConnection& server);

} // namespace dbtools
