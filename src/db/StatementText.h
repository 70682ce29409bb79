#pragma once

#include <QString>

namespace db {

enum class Engine { Sqlite, Postgres };

// Rewrites a statement of the station's dialect for an engine. In the station's dialect double
// quotes delimit text, as single quotes do; both engines take text in single quotes and names
// in double quotes, so without this a value that happens to equal a column name would be read
// as that column. Like compares regardless of ASCII case and has no escape character, as on
// SQLite; on PostgreSQL `name Like text` is sent as `lower(name) LIKE lower(text) ESCAPE ''`
// (which an index on lower(name) serves), any other Like as ILIKE, and a bracketed [name] as
// "name". Unclosed quotes are left for the engine to reject. Each engine's dialect
// (SqlDialect::engineStatement) chooses its own of the two writers below.
QString toEngineStatement(const QString& statement, Engine engine);
QString sqliteStatement(const QString& statement);
QString postgresStatement(const QString& statement);

// The spelling of `name` in the statement: its first word outside quotes that equals `name`
// regardless of case, or `name` itself when there is none. PostgreSQL folds the names of its
// results to lower case; this gives them back as the statement wrote them.
QString spellingIn(const QString& statement, const QString& name);

// A table or column name quoted for either engine, whatever characters it holds.
QString quotedName(const QString& name);

} // namespace db
