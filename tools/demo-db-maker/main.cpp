#include "DemoDatabaseMaker.h"
#include "ToolMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <stdexcept>

namespace {

// An installed program reads the package's catalogue, one in its build folder the source tree's.
QString defaultCatalogue() {
    const QString installed = QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral(STATION_DATA_FROM_PROGRAM "/transponders.tsv")));
    return QFileInfo::exists(installed) ? installed : QStringLiteral(STATION_TRANSPONDER_CATALOGUE);
}

qint64 number(const QCommandLineParser& parser, const QString& option, qint64 least, qint64 most) {
    bool ok = false;
    const qint64 value = parser.value(option).toLongLong(&ok);
    if (!ok || value < least || value > most)
        throw std::invalid_argument(QStringLiteral("--%1 takes a number from %2 to %3")
                                        .arg(option)
                                        .arg(least)
                                        .arg(most)
                                        .toStdString());
    return value;
}

demodb::MakerSettings settingsFrom(const QCommandLineParser& parser) {
    demodb::MakerSettings settings;
    settings.outputPath = parser.value(QStringLiteral("output"));
    settings.serverConnection = parser.value(QStringLiteral("server"));
    if (parser.isSet(QStringLiteral("server"))) {
        if (parser.isSet(QStringLiteral("output")))
            throw std::invalid_argument("--server and --output name two places: give one");
        if (settings.serverConnection.trimmed().isEmpty())
            throw std::invalid_argument("--server takes a connection text or service name");
    }
    settings.replaceExisting = parser.isSet(QStringLiteral("force"));
    settings.withChecks = parser.isSet(QStringLiteral("checks"));
    settings.cataloguePath = parser.isSet(QStringLiteral("catalogue"))
                                 ? parser.value(QStringLiteral("catalogue"))
                                 : defaultCatalogue();
    settings.demo.today = QDate::currentDate();
    if (parser.isSet(QStringLiteral("today"))) {
        settings.demo.today = QDate::fromString(parser.value(QStringLiteral("today")), Qt::ISODate);
        if (!settings.demo.today.isValid())
            throw std::invalid_argument("--today takes a date written yyyy-MM-dd");
    }
    settings.demo.seed =
        static_cast<quint32>(number(parser, QStringLiteral("seed"), 0, 0xFFFFFFFFLL));
    settings.demo.orders = static_cast<int>(
        number(parser, QStringLiteral("orders"), 1, demodb::DemoOptions::maxOrders));
    if (parser.isSet(QStringLiteral("lines")))
        settings.demo.lines =
            number(parser, QStringLiteral("lines"), 1,
                   demodb::DemoOptions::maxOrders * demodb::DemoOptions::maxLinesPerOrderOnAverage);
    return settings;
}

int make(const QCommandLineParser& parser) {
    const demodb::MakerSettings settings = settingsFrom(parser);
    const demodb::MakerSummary summary = demodb::makeDemoDatabase(settings);
    const QString target =
        settings.serverConnection.isEmpty() ? settings.outputPath : settings.serverConnection;
    QTextStream out(stdout);
    out << QStringLiteral("%1: %2 patients, %3 drugs, %4 orders with %5 lines over %6 days\n")
               .arg(target)
               .arg(summary.patients)
               .arg(summary.drugs)
               .arg(summary.orders)
               .arg(summary.lines)
               .arg(summary.days);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const ToolUsage usage{
        QStringLiteral("demo-db-maker"),
        QStringLiteral("Makes a prescription database with demo patients, drugs and pick-up orders "
                       "for today and the days around it. Each drug carries the UID of one "
                       "transponder of the catalogue."),
        {
            {QStringLiteral("output"), QStringLiteral("Database file to make."),
             QStringLiteral("path"), QStringLiteral("藥袋正規化.db")},
            {QStringLiteral("server"),
             QStringLiteral("Fill a PostgreSQL database instead of a file: a libpq connection text "
                            "(\"host=db1 dbname=pharmacy\") or a service name. The database must "
                            "not hold the prescription tables yet."),
             QStringLiteral("connection")},
            {QStringLiteral("force"),
             QStringLiteral("Replace an existing database file; on a server, drop and recreate the "
                            "tables.")},
            {QStringLiteral("checks"),
             QStringLiteral("Give 藥品資料表 the optional columns 單位重量, 容許誤差 and 有效期限 "
                            "and fill them: unit weights from each drug's form and strength, a "
                            "tolerance for a few drugs, and an expiry day about a year after "
                            "--today, already past for a few.")},
            {QStringLiteral("catalogue"),
             QStringLiteral("Transponder catalogue (tab-separated). Default: the package's "
                            "transponders.tsv (" STATION_DATA_FROM_PROGRAM
                            " from the program's folder), else the source tree's "
                            "data/transponders.tsv."),
             QStringLiteral("path")},
            {QStringLiteral("today"),
             QStringLiteral("Day to make the orders around (default: today)."),
             QStringLiteral("yyyy-MM-dd")},
            {QStringLiteral("seed"), QStringLiteral("Seed of the made-up content."),
             QStringLiteral("n"), QStringLiteral("1")},
            {QStringLiteral("orders"),
             QStringLiteral("Number of pick-up orders; more than 1400 spread over more days."),
             QStringLiteral("n"), QStringLiteral("56")},
            {QStringLiteral("lines"),
             QStringLiteral("Total number of order lines (default: 1 to 4 per order)."),
             QStringLiteral("m")},
        }};
    return runTool(argc, argv, usage, make);
}
