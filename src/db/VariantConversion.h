#pragma once

#include <QString>
#include <QVariant>

namespace db {

// The name of a value's type in the conversion errors: Null, String, Int64, Double, ...
QString variantTypeName(const QVariant& value);

// A value as text; NULL raises "Could not convert variant of type (Null) into type (String)".
QString variantAsString(const QVariant& value);

// A value as yes/no: the numbers 1 and -1 (both are stored for yes) and 0, or the texts
// true/false, yes/no, 1/-1/0 in any case. Anything else, NULL included, raises
// "Could not convert variant of type (<type>) into type (Boolean)".
bool variantAsBoolean(const QVariant& value);

} // namespace db
