#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace dbtools {

// Text and whole numbers are declared alike on both engines; each declares a yes/no its own way
// (db::SqlDialect).
enum class ColumnKind { Text, WholeNumber, YesNo };

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

// An index for the station's Like, which compares regardless of case.
struct CaseFreeIndex {
    QString name;
    QStringList columns;
};

struct Table {
    QString name;
    QList<Column> columns;
    int keyColumns = 1; // the primary key is made of the leading columns
    QList<Reference> references = {};
    QList<CaseFreeIndex> indexes = {};

    QStringList columnNames() const;
    QStringList keyColumnNames() const;
};

// Indexes into prescriptionTables().
enum PrescriptionTable { Patients, Drugs, Orders, Lines };

// The four tables of the prescription database, in an order their foreign keys can be filled in.
// Both engines' tables are made from this (TableStatements.h).
const QList<Table>& prescriptionTables();

} // namespace dbtools
