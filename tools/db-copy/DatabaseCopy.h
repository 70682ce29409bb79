#pragma once

#include <QList>
#include <QString>

namespace dbcopy {

struct CopySettings {
    QString filePath;          // a station's SQLite file, opened read-only
    QString serverConnection;  // a libpq connection text or service name
    bool createTables = false; // make the tables when the server's database has none of them
};

struct TableCount {
    QString table;
    qint64 rows = 0;
};

// Copies the four prescription tables, and the audit table when the file has it, from the file
// into the server's empty tables in one transaction, parents first for the foreign keys, and checks
// each table's count before the commit. Anything wrong throws std::exception with a readable text
// and keeps nothing.
QList<TableCount> copyDatabase(const CopySettings& settings);

} // namespace dbcopy
