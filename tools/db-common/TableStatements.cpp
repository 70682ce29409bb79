#include "TableStatements.h"

#include "PrescriptionTables.h"
#include "SqlDialect.h"
#include "SqlRun.h"
#include "TADOConnection.h"

namespace dbtools {

namespace {

QString typeName(ColumnKind kind, const db::SqlDialect& dialect) {
    switch (kind) {
    case ColumnKind::YesNo:
        return dialect.yesNoType();
    case ColumnKind::Real:
        return dialect.realType();
    case ColumnKind::Day:
        return dialect.dayType();
    case ColumnKind::Moment:
        return dialect.momentType();
    case ColumnKind::WholeNumber:
        return QStringLiteral("INTEGER");
    case ColumnKind::Text:
        break;
    }
    return QStringLiteral("TEXT");
}

QString columnDefinition(const Column& column, const db::SqlDialect& dialect) {
    return QStringLiteral("%1 %2%3").arg(column.name, typeName(column.kind, dialect),
                                         column.required ? QStringLiteral(" NOT NULL") : QString());
}

QString createTable(const Table& table, const QStringList& optionalColumns,
                    const db::SqlDialect& dialect) {
    QStringList parts;
    for (const Column& column : table.columns)
        parts.append(columnDefinition(column, dialect));
    for (const Column& column : table.optionalColumns) {
        if (optionalColumns.contains(column.name))
            parts.append(columnDefinition(column, dialect));
    }
    if (table.keyColumns > 0)
        parts.append(QStringLiteral("PRIMARY KEY (%1)")
                         .arg(table.keyColumnNames().join(QStringLiteral(", "))));
    for (const Reference& reference : table.references) {
        const QString columns = reference.columns.join(QStringLiteral(", "));
        parts.append(
            QStringLiteral("FOREIGN KEY (%1) REFERENCES %2 (%1)").arg(columns, reference.table));
    }
    return QStringLiteral("CREATE TABLE %1 (\n    %2\n)")
        .arg(table.name, parts.join(QStringLiteral(",\n    ")));
}

QString createIndex(const Table& table, const Index& index, const db::SqlDialect& dialect) {
    QStringList keys;
    for (const QString& column : index.columns)
        keys.append(index.caseFree ? dialect.caseFreeIndexKey(column) : column);
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(index.name, table.name, keys.join(QStringLiteral(", ")));
}

} // namespace

QStringList tableStatements(db::Engine engine, const QList<Table>& tables,
                            const QStringList& optionalColumns) {
    const auto dialect = db::dialectFor(engine);
    QStringList statements;
    for (const Table& table : tables)
        statements.append(createTable(table, optionalColumns, *dialect));
    for (const Table& table : tables) {
        for (const Index& index : table.indexes)
            statements.append(createIndex(table, index, *dialect));
    }
    return statements;
}

QStringList tableStatements(db::Engine engine, const QStringList& optionalColumns) {
    return tableStatements(engine, allTables(), optionalColumns);
}

void createTables(db::TADOConnection& connection, const QStringList& optionalColumns) {
    for (const QString& statement : tableStatements(connection.dialect().engine(), optionalColumns))
        run(connection, statement);
}

} // namespace dbtools
