#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>

namespace db {
class TADOConnection;
}

namespace dbcopy {

// The columns a file's table has, each with the server's column of that name regardless of case
// (the server keeps unquoted names in lower case). Optional columns travel when both sides have
// them.
struct CopiedColumns {
    QSqlRecord file;
    QSqlRecord server;

    // Each side's names quoted for its statements, since the file's are untrusted.
    QStringList fileNames() const;
    QStringList serverNames() const;
};

// A column the server lacks, whose values would be lost, raises platform::AppError after `where`.
CopiedColumns copiedColumns(db::TADOConnection& file, db::TADOConnection& server,
                            const QString& table, const QString& where);

} // namespace dbcopy
