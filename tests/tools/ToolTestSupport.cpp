#include "ToolTestSupport.h"

#include "AppError.h"
#include "AuditTrail.h"
#include "PrescriptionTables.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QStringList tableRows(db::TADOConnection& connection, const QString& table) {
    QSqlQuery query(connection.database());
    try {
        connection.exec(query, table, QStringLiteral("SELECT * FROM ") + table);
    } catch (const platform::AppError& error) {
        return {QStringLiteral("<error: %1>").arg(error.text())};
    }
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int column = 0; column < query.record().count(); ++column) {
            if (query.isNull(column))
                values.append(QStringLiteral("<NULL>"));
            else if (query.record().fieldName(column) == u"性別")
                values.append(query.value(column).toBool() ? QStringLiteral("yes")
                                                           : QStringLiteral("no"));
            else if (query.record().fieldName(column) == db::audit::Time) // the instant
                values.append(
                    QDateTime::fromString(query.value(column).toString(), Qt::ISODateWithMs)
                        .toUTC()
                        .toString(Qt::ISODateWithMs));
            else
                values.append(query.value(column).toString());
        }
        rows.append(values.join(u'|'));
    }
    rows.sort();
    return rows;
}

} // namespace

QList<QStringList> prescriptionRows(db::TADOConnection& connection) {
    QList<QStringList> rows;
    for (const dbtools::Table& table : dbtools::prescriptionTables())
        rows.append(tableRows(connection, table.name));
    return rows;
}

QStringList auditRows(db::TADOConnection& connection) {
    return tableRows(connection, dbtools::auditTable().name);
}
