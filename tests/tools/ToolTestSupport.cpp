#include "ToolTestSupport.h"

#include "AuditTrail.h"
#include "PrescriptionTables.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QStringList tableRows(const QSqlDatabase& database, const QString& table) {
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("SELECT * FROM ") + table))
        return {QStringLiteral("<error: %1>").arg(query.lastError().text())};
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

QList<QStringList> prescriptionRows(const QSqlDatabase& database) {
    QList<QStringList> rows;
    for (const dbtools::Table& table : dbtools::prescriptionTables())
        rows.append(tableRows(database, table.name));
    return rows;
}

QStringList auditRows(const QSqlDatabase& database) {
    return tableRows(database, dbtools::auditTable().name);
}
