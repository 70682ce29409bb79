#include "ForeignKeyPause.h"

#include "PrescriptionTables.h"
#include "SqlRun.h"

#include <QSqlDriver>
#include <QSqlQuery>

namespace dbtools {

ForeignKeyPause::ForeignKeyPause(db::TADOConnection& server) : server(server) {
    const QSqlDatabase database = server.database();
    QSqlQuery query(database);
    const QString statement = QStringLiteral(
        "SELECT conrelid::regclass::text, conname, pg_get_constraintdef(oid) FROM pg_constraint "
        "WHERE contype = 'f' AND conrelid = to_regclass(?)");
    server.prepare(query, statement);
    for (const Table& table : prescriptionTables()) {
        query.bindValue(0, table.name);
        server.exec(query, statement);
        while (query.next())
            keys.append({query.value(0).toString(),
                         database.driver()->escapeIdentifier(query.value(1).toString(),
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
