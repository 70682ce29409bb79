#include "DemoDatabases.h"

#include "SqlRun.h"

#include <QDate>
#include <cstdio>
#include <stdexcept>

demodb::MakerSettings demoSettings(const QString& path) {
    demodb::MakerSettings settings;
    settings.outputPath = path;
    settings.cataloguePath = QStringLiteral(STATION_TRANSPONDER_CATALOGUE);
    settings.demo.today = QDate::currentDate();
    return settings;
}

DemoDatabases::DemoDatabases(const QString& fileName, int orders, qint64 lines) {
    if (!folder_.isValid())
        throw std::runtime_error("no temporary folder");
    demodb::MakerSettings settings = demoSettings(folder_.filePath(fileName));
    settings.demo.orders = orders;
    settings.demo.lines = lines;
    const demodb::MakerSummary summary = demodb::makeDemoDatabase(settings);
    std::printf("database: %lld orders, %lld lines over %d days\n",
                static_cast<long long>(summary.orders), static_cast<long long>(summary.lines),
                summary.days);
    filePath_ = settings.outputPath;
    today_ = settings.demo.today;

    settings.outputPath.clear();
    settings.serverConnection = server_.connectionText();
    demodb::makeDemoDatabase(settings);
    // Autovacuum would gather the statistics of the new rows within minutes; until then the
    // planner guesses and may scan every patient.
    dbtools::run(*server_.connect(), QStringLiteral("ANALYZE"));
}
