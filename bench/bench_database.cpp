// Times the station's two statements on a large prescription database, in a file and on a
// PostgreSQL server of its own holding the same content: the order list of one day and the drug
// lines of one order, run and walked through the query object as the main window does.
#include "DayText.h"
#include "DemoDatabaseMaker.h"
#include "OrderStatements.h"
#include "PostgresCluster.h"
#include "ScratchServerDatabase.h"
#include "SqlRun.h"
#include "TADOConnection.h"
#include "TADOQuery.h"

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr int largeOrders = 200'000;
constexpr qint64 largeLines = 1'000'000;

int loadOrderList(db::TADOQuery& query, const QString& dayText) {
    query.Close();
    query.SQL = db::orderListStatement(dayText);
    query.Open();
    for (const char* name : {"配藥日期", "領藥序號", "姓名", "性別", "出生年月日"})
        query.FieldByName(QString::fromUtf8(name)).SetVisible(false);
    int rows = 0;
    query.First();
    while (!query.Eof()) {
        benchmark::DoNotOptimize(query.FieldByName(QStringLiteral("領藥序號")).AsString());
        benchmark::DoNotOptimize(query.FieldByName(QStringLiteral("姓名")).AsString());
        query.Next();
        ++rows;
    }
    return rows;
}

int openOrderLines(db::TADOQuery& query, const QString& sequenceText, const QString& dayText) {
    query.Close();
    query.SQL = db::orderLinesStatement(sequenceText, dayText);
    query.Open();
    for (const char* name : {"領藥序號", "病歷號碼", "姓名", "性別", "出生年月日",
                             "領藥單.配藥日期", "領藥明細.配藥日期", "SerialNumber"})
        query.FieldByName(QString::fromUtf8(name)).SetVisible(false);
    query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
    int rows = 0;
    query.First();
    while (!query.Eof()) {
        benchmark::DoNotOptimize(query.FieldByName(QStringLiteral("SerialNumber")).AsString());
        benchmark::DoNotOptimize(query.FieldByName(QStringLiteral("配藥情況")).IsNull());
        query.Next();
        ++rows;
    }
    return rows;
}

void orderListOfOneDay(benchmark::State& state, const db::DatabaseLocation& location,
                       const QString& dayText) {
    db::TADOConnection connection(location);
    db::TADOQuery query(connection);
    int rows = loadOrderList(query, dayText); // opens the connection
    for (auto _ : state)
        rows = loadOrderList(query, dayText);
    state.counters["rows"] = rows;
}

void orderLinesOfOneOrder(benchmark::State& state, const db::DatabaseLocation& location,
                          const QString& dayText) {
    db::TADOConnection connection(location);
    db::TADOQuery query(connection);
    loadOrderList(query, dayText);
    const QString sequenceText = query.FieldByName(QStringLiteral("領藥序號")).AsString();
    int rows = openOrderLines(query, sequenceText, dayText);
    for (auto _ : state)
        rows = openOrderLines(query, sequenceText, dayText);
    state.counters["rows"] = rows;
    state.SetLabel(sequenceText.toStdString());
}

// The same measurements on each engine: the file's under the plain names, the server's after
// a suffix.
void registerStatements(const std::string& suffix, const db::DatabaseLocation& location,
                        const QString& dayText) {
    benchmark::RegisterBenchmark(("BM_OrderListOfOneDay" + suffix).c_str(), orderListOfOneDay,
                                 location, dayText)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_OrderLinesOfOneOrder" + suffix).c_str(), orderLinesOfOneOrder,
                                 location, dayText)
        ->Unit(benchmark::kMillisecond);
}

void measure() {
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    demodb::MakerSettings settings;
    settings.outputPath = folder.filePath(db::DatabaseLocation::defaultFileName());
    settings.cataloguePath = QStringLiteral(DSP_TRANSPONDER_CATALOGUE);
    settings.demo.today = QDate::currentDate();
    settings.demo.orders = largeOrders;
    settings.demo.lines = largeLines;
    const demodb::MakerSummary summary = demodb::makeDemoDatabase(settings);
    std::printf("database: %lld orders, %lld lines over %d days\n",
                static_cast<long long>(summary.orders), static_cast<long long>(summary.lines),
                summary.days);
    const db::DatabaseLocation file = db::DatabaseLocation::file(settings.outputPath);

    PostgresCluster cluster;
    ScratchServerDatabase large(cluster.connectionText());
    settings.outputPath.clear();
    settings.serverConnection = large.connectionText();
    demodb::makeDemoDatabase(settings);
    const auto connection = large.connect();
    // Autovacuum would gather the statistics of the new rows within minutes; until then the
    // planner guesses and may scan every patient.
    dbtools::run(connection->database(), QStringLiteral("ANALYZE"));
    std::printf("server: %s\n", qPrintable(dbtools::single(connection->database(),
                                                           QStringLiteral("SELECT version()"))
                                               .toString()));
    std::fflush(stdout);

    const QString dayText = db::DayText(settings.demo.today);
    registerStatements({}, file, dayText);
    registerStatements("/server", db::DatabaseLocation::server(settings.serverConnection), dayText);
    benchmark::RunSpecifiedBenchmarks();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        measure();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_database: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
