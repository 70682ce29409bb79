#pragma once

#include "PrescriptionTables.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <memory>

namespace dbtools {

// Writes rows into one table within the transaction the caller holds. A value that cannot be
// written throws std::invalid_argument; a failed statement throws std::runtime_error.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // One row, its values in the order of the table's columns; NULL as a null QVariant.
    virtual void add(const QVariantList& values) = 0;
    // Writes the rows still held back.
    virtual void finish() = 0;
};

// Prepared rows for an SQLite file, where a statement costs no round trip; rows in batches for
// a server. A batch writer holds rows back until finish(), so foreign keys between tables
// written side by side are to be paused meanwhile (ForeignKeyPause).
std::unique_ptr<RowWriter> rowWriter(const QSqlDatabase& database, const Table& table);

} // namespace dbtools
