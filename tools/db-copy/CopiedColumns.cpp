#include "CopiedColumns.h"

#include "FileValues.h"
#include "SqlRun.h"
#include "StatementText.h"
#include "TADOConnection.h"

namespace dbcopy {

namespace {

QStringList quotedNames(const QSqlRecord& columns) {
    QStringList names;
    for (int column = 0; column < columns.count(); ++column)
        names.append(db::quotedName(columns.fieldName(column)));
    return names;
}

} // namespace

QStringList CopiedColumns::fileNames() const {
    return quotedNames(file);
}

QStringList CopiedColumns::serverNames() const {
    return quotedNames(server);
}

CopiedColumns copiedColumns(db::TADOConnection& file, db::TADOConnection& server,
                            const QString& table, const QString& where) {
    CopiedColumns columns{file.recordOf(table), {}};
    const QSqlRecord serverColumns = server.recordOf(table);
    for (int column = 0; column < columns.file.count(); ++column) {
        const int match = serverColumns.indexOf(columns.file.fieldName(column));
        if (match < 0)
            dbtools::fail(
                QStringLiteral("%1: the server's table has no column %2; nothing was copied")
                    .arg(where, shownValue(columns.file.fieldName(column))));
        columns.server.append(serverColumns.field(match));
    }
    return columns;
}

} // namespace dbcopy
