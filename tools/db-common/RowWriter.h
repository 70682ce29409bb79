#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

namespace db {
class TADOConnection;
}

namespace dbtools {

// Writes rows into columns of one table within the transaction the caller holds, each statement
// within the connection's bound. A value that cannot be written throws std::invalid_argument; a
// failed statement raises platform::AppError.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // One row, its values in the order of the writer's columns; NULL as a null QVariant.
    virtual void add(const QVariantList& values) = 0;
    // Writes the rows still held back.
    virtual void finish() = 0;
};

// Prepared rows where a statement costs no round trip (a file); rows in batches where it does
// (a server). A batch writer holds rows back until finish(), so foreign keys between tables
// written side by side are to be paused meanwhile (ForeignKeyPause). The names are written into
// the statement as given.
std::unique_ptr<RowWriter> rowWriter(db::TADOConnection& connection, const QString& table,
                                     const QStringList& columns);

// "INSERT INTO table (columns) VALUES ", for the values to follow.
QString insertHead(const QString& table, const QStringList& columns);

} // namespace dbtools
