#include "ServerTables.h"

#include "PrescriptionTables.h"
#include "SqlRun.h"

namespace dbtools {

QStringList existingTables(const QSqlDatabase& server) {
    QStringList existing;
    for (const Table& table : prescriptionTables()) {
        // Found as the statements find it, through the search path.
        if (single(server, QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {table.name})
                .toBool())
            existing.append(table.name);
    }
    return existing;
}

void dropTables(const QSqlDatabase& server) {
    QStringList names;
    for (const Table& table : prescriptionTables())
        names.prepend(table.name);
    run(server, QStringLiteral("DROP TABLE IF EXISTS %1").arg(names.join(QStringLiteral(", "))));
}

void analyzeTables(const QSqlDatabase& server) {
    for (const Table& table : prescriptionTables())
        run(server, QStringLiteral("ANALYZE ") + table.name);
}

} // namespace dbtools
