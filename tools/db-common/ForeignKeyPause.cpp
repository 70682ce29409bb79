#include "ForeignKeyPause.h"

#include "PrescriptionTables.h"
#include "SqlRun.h"

#include <QSqlDriver>
#include <QSqlQuery>

namespace dbtools {

ForeignKeyPause::ForeignKeyPause(const QSqlDatabase& database) : server(database) {
    QSqlQuery query(server);
    const QString statement = QStringLiteral(
        "SELECT conrelid::regclass::text, conname, pg_get_constraintdef(oid) FROM pg_constraint "
        "WHERE contype = 'f' AND conrelid = to_regclass(?)");
    if (!query.prepare(statement))
        fail(statement, query.lastError());
    for (const Table& table : prescriptionTables()) {
        query.bindValue(0, table.name);
        if (!boundedExec(query, server))
            fail(statement, query.lastError());
        while (query.next())
            keys.append({query.value(0).toString(),
                         server.driver()->escapeIdentifier(query.value(1).toString(),
                                                           QSqlDriver::TableName),
                         query.value(2).toString()});
    }
    for (const Key& key : keys)
        run(server, QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(key.table, key.name));
}

void ForeignKeyPause::restore() {
    for (const Key& key : keys)
        run(server, QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 %3")
                        .arg(key.table, key.name, key.definition));
    keys.clear();
}

} // namespace dbtools
