// Times the station's two statements on a large prescription database: the order list of one day
// and the drug lines of one order, run and walked through the query object as the main window
// does.
#include "DayText.h"
#include "DemoDatabaseMaker.h"
#include "ErrorGuard.h"
#include "OrderStatements.h"
#include "TADOConnection.h"
#include "TADOQuery.h"

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <exception>
#include <optional>

namespace {

constexpr int largeOrders = 200'000;
constexpr qint64 largeLines = 1'000'000;

struct LargeDatabase {
    QTemporaryDir folder;
    QString path;
    QString dayText;
    QString sequenceText;
};

std::optional<LargeDatabase> large;

void makeLargeDatabase() {
    large.emplace();
    if (!large->folder.isValid())
        throw std::runtime_error("no temporary folder");
    demodb::MakerSettings settings;
    settings.outputPath = large->folder.filePath(db::DatabaseLocation::defaultFileName());
    settings.cataloguePath = QStringLiteral(DSP_TRANSPONDER_CATALOGUE);
    settings.demo.today = QDate::currentDate();
    settings.demo.orders = largeOrders;
    settings.demo.lines = largeLines;
    const demodb::MakerSummary summary = demodb::makeDemoDatabase(settings);
    std::printf("database: %lld orders, %lld lines over %d days\n",
                static_cast<long long>(summary.orders), static_cast<long long>(summary.lines),
                summary.days);
    large->path = settings.outputPath;
    large->dayText = db::DayText(settings.demo.today);
}

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

void BM_OrderListOfOneDay(benchmark::State& state) {
    db::TADOConnection connection(db::DatabaseLocation::file(large->path));
    db::TADOQuery query(connection);
    int rows = loadOrderList(query, large->dayText); // opens the connection
    for (auto _ : state)
        rows = loadOrderList(query, large->dayText);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OrderListOfOneDay)->Unit(benchmark::kMillisecond);

void BM_OrderLinesOfOneOrder(benchmark::State& state) {
    db::TADOConnection connection(db::DatabaseLocation::file(large->path));
    db::TADOQuery query(connection);
    loadOrderList(query, large->dayText);
    const QString sequenceText = query.FieldByName(QStringLiteral("領藥序號")).AsString();
    int rows = openOrderLines(query, sequenceText, large->dayText);
    for (auto _ : state)
        rows = openOrderLines(query, sequenceText, large->dayText);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OrderLinesOfOneOrder)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        makeLargeDatabase();
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_database: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    large.reset();
    return 0;
}
