#include "ServerTables.h"

#include "PrescriptionTables.h"
#include "SqlRun.h"

namespace dbtools {

QStringList existingTables(db::TADOConnection& server) {
    QStringList existing;
    for (const Table& table : allTables()) {
        // Found as the statements find it, through the search path.
        if (single(server, QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {table.name})
                .toBool())
            existing.append(table.name);
    }
    return existing;
}

void dropTables(db::TADOConnection& server) {
    QStringList names;
    for (const Table& table : allTables())
        names.prepend(table.name);
    run(server, QStringLiteral("DROP TABLE IF EXISTS %1").arg(names.join(QStringLiteral(", "))));
}

void analyzeTables(db::TADOConnection& server) {
    // A server's tables made before the audit table lack it.
    for (const QString& name : existingTables(server))
        run(server, QStringLiteral("ANALYZE ") + name);
}

} // namespace dbtools
