#pragma once

#include <QString>

namespace db {

// Rewrites a statement of the station's dialect, where double quotes delimit text, for SQLite,
// where double quotes delimit names and text is quoted singly. Without this a value that happens
// to equal a column name would be read as that column.
QString toSqliteLiterals(const QString& statement);

// A table or column name quoted for SQLite, whatever characters it holds.
QString quotedSqliteName(const QString& name);

} // namespace db
