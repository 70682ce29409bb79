#pragma once

#include "RowWriter.h"

#include <QString>
#include <QStringList>

class QSqlDriver;

namespace dbtools {

// Writes many rows per INSERT, their values written into the statement by the driver's own
// formatting: through Qt's PostgreSQL driver each prepared single row costs a round trip.
class BatchRowWriter final : public RowWriter {
public:
    BatchRowWriter(db::TADOConnection& connection, const QString& table,
                   const QStringList& columns);

    void add(const QVariantList& values) override;
    void finish() override;

    static constexpr int rowsPerStatement = 1000;
    static constexpr qsizetype charactersPerStatement = 1 << 20;

private:
    void flush();

    db::TADOConnection& connection;
    // The connection's own, which formats the values.
    const QSqlDriver* driver;
    QString tableName;
    QString head;
    QStringList columnNames;
    QString statement;
    int rowsHeld = 0;
};

} // namespace dbtools
