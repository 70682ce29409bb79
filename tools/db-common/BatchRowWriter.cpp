#include "BatchRowWriter.h"

#include "TADOConnection.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <stdexcept>

namespace dbtools {

BatchRowWriter::BatchRowWriter(db::TADOConnection& connection, const QString& table,
                               const QStringList& columns)
    : connection(connection), driver(connection.database().driver()), tableName(table),
      head(insertHead(table, columns)), columnNames(columns) {}

void BatchRowWriter::add(const QVariantList& values) {
    if (values.size() != columnNames.size())
        throw std::invalid_argument("a row with the wrong number of values");
    QString row = statement.isEmpty() ? head + u'(' : QStringLiteral(",(");
    for (qsizetype column = 0; column < columnNames.size(); ++column) {
        const QVariant& value = values.at(column);
        // The driver hands the statement on as a C string, which would end at the NUL.
        if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)))
            throw std::invalid_argument(
                QStringLiteral("%1 holds a text with a NUL character, which cannot be stored")
                    .arg(columnNames.at(column))
                    .toStdString());
        QSqlField field(QString(), value.metaType());
        field.setValue(value);
        if (column > 0)
            row += u',';
        row += driver->formatValue(field);
    }
    row += u')';
    statement += row;
    if (++rowsHeld >= rowsPerStatement || statement.size() >= charactersPerStatement)
        flush();
}

void BatchRowWriter::finish() {
    if (rowsHeld > 0)
        flush();
}

void BatchRowWriter::flush() {
    QSqlQuery query(connection.database());
    // The statement itself is too long to show.
    connection.exec(query, QStringLiteral("writing %1").arg(tableName), statement);
    statement.clear();
    rowsHeld = 0;
}

} // namespace dbtools
