#pragma once

#include "RowWriter.h"

#include <QSqlQuery>

namespace dbtools {

// One prepared INSERT run once per row.
class PreparedRowWriter final : public RowWriter {
public:
    PreparedRowWriter(db::TADOConnection& connection, const QString& table,
                      const QStringList& columns);

    void add(const QVariantList& values) override;
    void finish() override {}

private:
    db::TADOConnection& connection;
    QString statement;
    QSqlQuery query;
    qsizetype columns;
};

} // namespace dbtools
