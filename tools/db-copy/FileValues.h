#pragma once

#include <QSqlField>
#include <QString>
#include <QVariant>

namespace dbcopy {

// A file's value as the server's column takes it: a yes/no as such, a value for a 32-bit whole
// number, a real number, a day or a moment column as one (a day written yyyy-MM-dd in the file, a
// moment in ISO 8601 with its offset, such as 2026-12-09T16:40:12.345+01:00), anything else as
// text, which the server turns into the column's type.
// The file's values are untrusted: one that does not fit throws std::invalid_argument saying why,
// and a null QVariant stands for NULL.
QVariant serverValue(const QSqlField& serverColumn, const QVariant& fileValue);

// A value as an error message shows it: bounded, without control characters.
QString shownValue(const QVariant& value);

} // namespace dbcopy
