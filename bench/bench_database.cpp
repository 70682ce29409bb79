// Times the station's two statements on a large prescription database, in a file and on a
// PostgreSQL server of its own holding the same content: the order list of one day and the drug
// lines of one order, run and walked through the query object as the main window does.
#include "BenchmarkMain.h"
#include "DayText.h"
#include "DemoDatabases.h"
#include "OrderStatements.h"
#include "SqlRun.h"
#include "TADOConnection.h"
#include "TADOQuery.h"

#include <benchmark/benchmark.h>
#include <cstdio>
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
    const DemoDatabases large(db::DatabaseLocation::defaultFileName(), largeOrders, largeLines);
    std::printf("server: %s\n", qPrintable(dbtools::single(*large.server().connect(),
                                                           QStringLiteral("SELECT version()"))
                                               .toString()));
    std::fflush(stdout);

    const QString dayText = db::DayText(large.today());
    registerStatements({}, db::DatabaseLocation::file(large.filePath()), dayText);
    registerStatements("/server", db::DatabaseLocation::server(large.server().connectionText()),
                       dayText);
    benchmark::RunSpecifiedBenchmarks();
}

} // namespace

int main(int argc, char* argv[]) {
    return runMeasured(argc, argv, "bench_database", measure);
}
