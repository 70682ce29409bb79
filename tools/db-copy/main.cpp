#include "DatabaseCopy.h"
#include "PrescriptionTables.h"
#include "TableStatements.h"
#include "ToolMain.h"

#include <QTextStream>
#include <stdexcept>

namespace {

dbcopy::CopySettings settingsFrom(const QCommandLineParser& parser) {
    dbcopy::CopySettings settings;
    settings.filePath = parser.value(QStringLiteral("from"));
    settings.serverConnection = parser.value(QStringLiteral("to"));
    settings.createTables = parser.isSet(QStringLiteral("create-tables"));
    if (settings.filePath.isEmpty() || settings.serverConnection.trimmed().isEmpty())
        throw std::invalid_argument("--from and --to are both needed (see --help)");
    return settings;
}

int copy(const QCommandLineParser& parser) {
    const QList<dbcopy::TableCount> counts = dbcopy::copyDatabase(settingsFrom(parser));
    QTextStream out(stdout);
    for (const dbcopy::TableCount& count : counts)
        out << QStringLiteral("%1: %2 rows\n").arg(count.table).arg(count.rows);
    return 0;
}

// For an administrator who makes the tables, the audit table too, with the server's own client.
// The optional columns are nullable, so a station that does not use them is not hindered by them.
int printSchema() {
    QTextStream out(stdout);
    for (const QString& statement :
         dbtools::tableStatements(db::Engine::Postgres, dbtools::allOptionalColumnNames()))
        out << statement << ";\n";
    return 0;
}

int work(const QCommandLineParser& parser) {
    return parser.isSet(QStringLiteral("print-schema")) ? printSchema() : copy(parser);
}

} // namespace

int main(int argc, char* argv[]) {
    const ToolUsage usage{
        QStringLiteral("db-copy"),
        QStringLiteral("Copies a station's prescription database file, with its audit trail "
                       "when it has one, into an empty PostgreSQL database, all in one "
                       "transaction: nothing is kept unless every row arrives."),
        {
            {QStringLiteral("from"), QStringLiteral("The station's database file (read only)."),
             QStringLiteral("path")},
            {QStringLiteral("to"),
             QStringLiteral("The server's database: a libpq connection text (\"host=db1 "
                            "dbname=pharmacy\") or a service name. Its tables must be empty."),
             QStringLiteral("connection")},
            {QStringLiteral("create-tables"),
             QStringLiteral("Make the tables from the server's schema when the database has none, "
                            "with those of the optional columns the file has.")},
            {QStringLiteral("print-schema"),
             QStringLiteral("Print the statements that make the server's tables, with every "
                            "optional column, and their indexes, and copy nothing.")},
        }};
    return runTool(argc, argv, usage, work);
}
