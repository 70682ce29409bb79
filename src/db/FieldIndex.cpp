#include "FieldIndex.h"

#include "TADOQuery.h"

int findField(db::TADOQuery& query, const QString& name) {
    for (int i = 0; i < query.FieldCount(); ++i) {
        if (query.Fields(i).FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
