#pragma once

#include <QSqlField>
#include <QString>
#include <QVariant>

namespace dbcopy {

// A file's value as the server's column takes it: a yes/no as such, a value for a 32-bit whole
// number, a real number or a day column as one (a day written yyyy-MM-dd in the file), anything
// else as text, which the server turns into the column's type.
// The file's values are untrusted: one that does not fit throws std::invalid_argument saying why,
// and a null QVariant stands for NULL.
QVariant serverValue(const QSqlField& serverColumn, const QVariant& fileValue);

// A value as an error message shows it: bounded, without control characters.
QString shownValue(const QVariant& value);

} // namespace dbcopy
