#include "TableStatements.h"

#include "Connection.h"
#include "PrescriptionTables.h"
#include "SqlDialect.h"
#include "SqlRun.h"

namespace dbtools {

namespace {

QString typeName(ColumnKind kind, const db::SqlDialect& dialect) {
    if (kind == ColumnKind::YesNo)
        return dialect.yesNoType();
    return kind == ColumnKind::WholeNumber ? QStringLiteral("INTEGER") : QStringLiteral("TEXT");
}

QString createTable(const Table& table, const db::SqlDialect& dialect) {
    QStringList parts;
    for (const Column& column : table.columns)
        parts.append(QStringLiteral("%1 %2%3").arg(column.name, typeName(column.kind, dialect),
                                                   column.required ? QStringLiteral(" NOT NULL")
                                                                   : QString()));
    parts.append(
        QStringLiteral("PRIMARY KEY (%1)").arg(table.keyColumnNames().join(QStringLiteral(", "))));
    for (const Reference& reference : table.references) {
        const QString columns = reference.columns.join(QStringLiteral(", "));
        parts.append(
            QStringLiteral("FOREIGN KEY (%1) REFERENCES %2 (%1)").arg(columns, reference.table));
    }
    return QStringLiteral("CREATE TABLE %1 (\n    %2\n)")
        .arg(table.name, parts.join(QStringLiteral(",\n    ")));
}

QString createIndex(const Table& table, const CaseFreeIndex& index, const db::SqlDialect& dialect) {
    QStringList keys;
    for (const QString& column : index.columns)
        keys.append(dialect.caseFreeIndexKey(column));
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(index.name, table.name, keys.join(QStringLiteral(", ")));
}

} // namespace

QStringList tableStatements(db::Engine engine) {
    const auto dialect = db::dialectFor(engine);
    QStringList statements;
    for (const Table& table : prescriptionTables())
        statements.append(createTable(table, *dialect));
    for (const Table& table : prescriptionTables()) {
        for (const CaseFreeIndex& index : table.indexes)
            statements.append(createIndex(table, index, *dialect));
    }
    return statements;
}

void createTables(const QSqlDatabase& database) {
    for (const QString& statement : tableStatements(engineOf(database)))
        run(database, statement);
}

} // namespace dbtools
