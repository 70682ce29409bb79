#pragma once

#include <QString>
#include <QVariant>

namespace dbcopy {

// The value a file's column holds as the server's column takes it: 性別 as a yes/no, 項次 and
// 數量 as 32-bit whole numbers, the rest as text. The file's values are untrusted: one that does
// not fit throws std::invalid_argument saying why, and a null QVariant stands for NULL.
QVariant serverValue(const QString& column, const QVariant& fileValue);

// A value as an error message shows it: bounded, without control characters.
QString shownValue(const QVariant& value);

} // namespace dbcopy
