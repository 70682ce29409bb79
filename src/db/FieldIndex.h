#pragma once

#include <QString>

namespace db {
class TADOQuery;
}

// The index of a field of the query's result, by name in any case as FieldByName takes it;
// -1 when the result has no such field. Unlike FieldByName it never raises.
int findField(db::TADOQuery& query, const QString& name);
