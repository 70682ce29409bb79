#include "DatabaseCopy.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("db-copy"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Copies a station's prescription database file into an empty PostgreSQL database, all "
        "in one transaction: nothing is kept unless every row arrives."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("from"), QStringLiteral("The station's database file (read only)."),
         QStringLiteral("path")},
        {QStringLiteral("to"),
         QStringLiteral("The server's database: a libpq connection text (\"host=db1 "
                        "dbname=pharmacy\") or a service name. Its tables must be empty."),
         QStringLiteral("connection")},
        {QStringLiteral("create-tables"),
         QStringLiteral("Make the tables from the server's schema when the database has none.")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(1);

    dbcopy::CopySettings settings;
    settings.filePath = parser.value(QStringLiteral("from"));
    settings.serverConnection = parser.value(QStringLiteral("to"));
    settings.createTables = parser.isSet(QStringLiteral("create-tables"));
    if (settings.filePath.isEmpty() || settings.serverConnection.trimmed().isEmpty()) {
        std::fprintf(stderr, "db-copy: --from and --to are both needed (see --help)\n");
        return 1;
    }

    try {
        const QList<dbcopy::TableCount> counts = dbcopy::copyDatabase(settings);
        QTextStream out(stdout);
        for (const dbcopy::TableCount& count : counts)
            out << QStringLiteral("%1: %2 rows\n").arg(count.table).arg(count.rows);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "db-copy: %s\n", error.what());
        return 1;
    }
}
