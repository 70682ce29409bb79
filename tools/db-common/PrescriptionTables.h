#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace dbtools {

// Text and whole numbers are declared alike on both engines; each declares a yes/no, a real number,
// a day and a moment its own way (db::SqlDialect).
enum class ColumnKind { Text, WholeNumber, YesNo, Real, Day, Moment };

struct Column {
    QString name;
    ColumnKind kind = ColumnKind::Text;
    bool required = false; // NOT NULL
};

// Columns referring to the key of an earlier table, whose key columns have the same names.
struct Reference {
    QStringList columns;
    QString table;
};

struct Index {
    QString name;
    QStringList columns;
    // Serves the station's Like, which compares regardless of case.
    bool caseFree = true;
};

struct Table {
    QString name;
    QList<Column> columns;
    // Nullable columns made only when asked for: databases made before them lack them and keep
    // their shape, and whoever reads them looks them up first.
    QList<Column> optionalColumns = {};
    int keyColumns = 1; // the primary key is made of the leading columns; 0: the table has none
    QList<Reference> references = {};
    QList<Index> indexes = {};

    QStringList columnNames() const;
    QStringList keyColumnNames() const;
    QStringList optionalColumnNames() const;
};

// Indexes into prescriptionTables().
enum PrescriptionTable { Patients, Drugs, Orders, Lines };

// The four tables of the prescription database, in an order their foreign keys can be filled in.
// Both engines' tables are made from this (TableStatements.h).
const QList<Table>& prescriptionTables();

// The stations' audit trail (db::audit): rows appended, referring to nothing and referred to by
// nothing. Databases made before it lack it, and are used as they are.
const Table& auditTable();

// The four tables, then the audit table: everything a database is made with.
const QList<Table>& allTables();

// The optional columns of all four tables.
QStringList allOptionalColumnNames();

} // namespace dbtools
