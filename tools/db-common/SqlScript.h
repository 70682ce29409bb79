#pragma once

#include <QString>
#include <QStringList>

namespace dbtools {

// Splits an SQL script into its statements, because a driver runs one statement per call.
// Semicolons inside quotes and comments do not split; comments are kept with the statement
// that follows them, which both engines accept.
QStringList splitSqlScript(const QString& script);

// The statements of a script file, such as an embedded schema; throws std::runtime_error when
// it cannot be read.
QStringList readSqlScript(const QString& path);

} // namespace dbtools
