#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace dbtools {

struct Table {
    QString name;
    QStringList columns;
    int keyColumns = 1; // the primary key is made of the leading columns

    // "INSERT INTO name (columns) VALUES ", for the values to follow.
    QString insertHead() const;
};

// Indexes into prescriptionTables().
enum PrescriptionTable { Patients, Drugs, Orders, Lines };

// The four tables of the prescription database, in an order their foreign keys can be filled in.
const QList<Table>& prescriptionTables();

} // namespace dbtools
