#include "DatabaseCopy.h"

#include "BatchRowWriter.h"
#include "CopiedColumns.h"
#include "FileValues.h"
#include "ForeignKeyPause.h"
#include "PrescriptionTables.h"
#include "ServerTables.h"
#include "SqlRun.h"
#include "TADOConnection.h"
#include "TableStatements.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <optional>
#include <stdexcept>

namespace dbcopy {

namespace {

using dbtools::fail;
using dbtools::naming;
using dbtools::Table;

// The tables' optional columns that the file has, so that tables made for it have them too.
QStringList optionalColumnsOf(db::TADOConnection& file) {
    QStringList present;
    for (const Table& table : dbtools::prescriptionTables()) {
        const QStringList columns = file.columnsOf(table.name);
        for (const QString& name : table.optionalColumnNames()) {
            if (columns.contains(name, Qt::CaseInsensitive))
                present.append(name);
        }
    }
    return present;
}

// The four tables, and the audit table when the file has it: files made before it lack it.
QList<Table> copiedTables(db::TADOConnection& file) {
    QList<Table> tables = dbtools::prescriptionTables();
    if (!file.columnsOf(dbtools::auditTable().name).isEmpty())
        tables.append(dbtools::auditTable());
    return tables;
}

// Whether it made the tables.
bool prepareServerTables(db::TADOConnection& file, db::TADOConnection& server,
                         const QList<Table>& copied, bool createTables) {
    const QStringList existing = dbtools::existingTables(server);
    if (existing.isEmpty() && createTables) {
        dbtools::createTables(server, optionalColumnsOf(file));
        return true;
    }
    QStringList names;
    for (const Table& table : copied) {
        names.append(table.name);
        if (!existing.contains(table.name))
            fail(QStringLiteral("the server's database has no table %1: make the tables "
                                "(db-copy --print-schema), or give --create-tables when it has "
                                "none of them")
                     .arg(table.name));
    }
    // Stations may read meanwhile, but none can write between the check and the commit.
    dbtools::run(
        server,
        QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(names.join(QStringLiteral(", "))));
    for (const Table& table : copied) {
        if (dbtools::single(server,
                            QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(table.name))
                .toBool())
            fail(QStringLiteral("table %1 on the server holds rows already; nothing was copied")
                     .arg(table.name));
    }
    return false;
}

// The row's key, after its number; nothing for a table without a key.
QString keyText(const QSqlQuery& rows, const Table& table) {
    QStringList parts;
    for (const QString& column : table.keyColumnNames())
        parts.append(QStringLiteral("%1 %2").arg(column, shownValue(rows.value(column))));
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", ")));
}

qint64 rowCount(db::TADOConnection& connection, const Table& table) {
    return dbtools::single(connection, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table.name))
        .toLongLong();
}

qint64 copyTable(db::TADOConnection& file, db::TADOConnection& server, const Table& table) {
    const QString where = QStringLiteral("%1, table %2").arg(file.location().target(), table.name);
    const qint64 fileRows = naming(where, [&] { return rowCount(file, table); });
    const CopiedColumns columns = copiedColumns(file, server, table.name, where);
    QSqlQuery rows(file.database());
    rows.setForwardOnly(true);
    file.exec(rows, where,
              QStringLiteral("SELECT %1 FROM %2")
                  .arg(columns.fileNames().join(QStringLiteral(", ")), table.name));

    dbtools::BatchRowWriter writer(server, table.name, columns.serverNames());
    QVariantList values(columns.server.count());
    qint64 row = 0;
    while (rows.next()) {
        ++row;
        try {
            for (int column = 0; column < values.size(); ++column)
                values[column] = serverValue(columns.server.field(column),
                                             rows.isNull(column) ? QVariant() : rows.value(column));
            writer.add(values);
        } catch (const std::invalid_argument& error) {
            fail(QStringLiteral("%1, row %2%3: %4")
                     .arg(where)
                     .arg(row)
                     .arg(keyText(rows, table), QString::fromStdString(error.what())));
        }
    }
    if (rows.lastError().isValid())
        fail(where, rows.lastError());
    writer.finish();

    const qint64 serverRows = rowCount(server, table);
    if (serverRows != fileRows || row != fileRows)
        fail(QStringLiteral("%1: the file counts %2 rows, %3 were read and the server holds %4; "
                            "nothing was copied")
                 .arg(where)
                 .arg(fileRows)
                 .arg(row)
                 .arg(serverRows));
    return serverRows;
}

} // namespace

QList<TableCount> copyDatabase(const CopySettings& settings) {
    // Read only, so never made.
    if (!QFileInfo(settings.filePath).isFile())
        fail(QStringLiteral("%1: no such file").arg(settings.filePath));
    db::TADOConnection file(
        db::DatabaseLocation::file(settings.filePath, db::DatabaseLocation::FileAccess::ReadOnly));
    db::TADOConnection server(db::DatabaseLocation::server(settings.serverConnection));
    const QList<Table> copied = naming(settings.filePath, [&] {
        file.begin(); // one view of the file across its tables
        return copiedTables(file);
    });
    naming(QStringLiteral("the server"), [&] { server.begin(); });
    std::optional<dbtools::ForeignKeyPause> foreignKeys;
    if (prepareServerTables(file, server, copied, settings.createTables))
        foreignKeys.emplace(server);
    QList<TableCount> counts;
    for (const Table& table : copied)
        counts.append({table.name, copyTable(file, server, table)});
    if (foreignKeys)
        foreignKeys->restore();
    server.commit();
    dbtools::analyzeTables(server);
    return counts;
}

} // namespace dbcopy
