#pragma once

#include <QString>
#include <QStringList>

namespace demodb {

// Splits an SQL script into its statements, because the SQLite driver runs one statement per
// call. Semicolons inside quotes and comments do not split; comments are kept with the
// statement that follows them, which SQLite accepts.
QStringList splitSqlScript(const QString& script);

} // namespace demodb
