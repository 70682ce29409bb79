// The rate of dispensing stores from several stations at once: 1, 4 and 16 dispense-worker
// processes on a PostgreSQL server of its own, and 1 and 4 on a shared file, each worker storing
// its share of one day's lines as the station does. A run is timed from the workers' release,
// each with its order list loaded and its connection open, until the last has ended.
#include "BenchmarkMain.h"
#include "DatabaseConnections.h"
#include "DayText.h"
#include "DemoDatabases.h"
#include "DispenseWorkers.h"
#include "SqlRun.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <string>

namespace {

// 200 orders a day with 500 lines between them.
constexpr int orders = 1400;
constexpr qint64 lines = 3500;
constexpr int waitMs = 300000;

struct Target {
    QStringList workerLocation;
    std::function<std::unique_ptr<db::TADOConnection>()> connect;
};

// Undoes the previous run's stores; gives the number of lines of the day.
qint64 resetDay(const Target& target, const QString& dayText) {
    const auto connection = target.connect();
    QSqlQuery query(connection->database());
    connection->prepare(query,
                        QStringLiteral("UPDATE 領藥明細 SET 配藥情況 = NULL WHERE 配藥日期 = ?"));
    query.addBindValue(dayText);
    connection->exec(query, QStringLiteral("resetting the day"));
    return dbtools::single(*connection,
                           QStringLiteral("SELECT COUNT(*) FROM 領藥明細 WHERE 配藥日期 = ?"),
                           {dayText})
        .toLongLong();
}

void dispensingStores(benchmark::State& state, const Target& target, const QString& dayText) {
    const int clients = static_cast<int>(state.range(0));
    qint64 stored = 0;
    double seconds = 0;
    for (auto _ : state) {
        const qint64 due = resetDay(target, dayText);
        QList<QStringList> arguments;
        for (int i = 1; i <= clients; ++i)
            arguments << target.workerLocation +
                             QStringList{QStringLiteral("--day"), dayText, QStringLiteral("--part"),
                                         QStringLiteral("%1/%2").arg(i).arg(clients)};
        DispenseWorkers workers(arguments, waitMs);
        QElapsedTimer timer;
        timer.start();
        workers.run(waitMs);
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        qint64 storedNow = 0;
        for (qsizetype i = 0; i < workers.size(); ++i) {
            for (const WorkerReport& report : workers.reports(i)) {
                // The shares are disjoint: anything but a store is a fault.
                if (report.outcome != u"stored") {
                    state.SkipWithError(
                        qPrintable(report.outcome + u' ' + report.fields.join(u' ')));
                    return;
                }
                ++storedNow;
            }
        }
        if (storedNow != due) {
            state.SkipWithError("not every line of the day was stored");
            return;
        }
        stored += storedNow;
        seconds += elapsed;
    }
    state.counters["lines"] = static_cast<double>(stored) / static_cast<double>(state.iterations());
    state.counters["lines_per_s"] = static_cast<double>(stored) / seconds;
}

void registerRuns(const char* name, const Target& target, const QString& dayText,
                  std::initializer_list<int> clients) {
    auto* runs = benchmark::RegisterBenchmark(name, dispensingStores, target, dayText);
    for (const int count : clients)
        runs->Arg(count);
    runs->ArgName("clients")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
}

void measure() {
    const DemoDatabases stations(QStringLiteral("stations.db"), orders, lines);
    const QString file = stations.filePath();
    const QString server = stations.server().connectionText();

    const QString dayText = db::DayText(stations.today());
    registerRuns(
        "BM_DispensingStores/server",
        {{QStringLiteral("--server"), server}, [server] { return connectToServer(server); }},
        dayText, {1, 4, 16});
    registerRuns(
        "BM_DispensingStores/file",
        {{QStringLiteral("--file"), file},
         [file] { return connectToFile(file, db::DatabaseLocation::FileAccess::Existing); }},
        dayText, {1, 4});
    benchmark::RunSpecifiedBenchmarks();
}

} // namespace

int main(int argc, char* argv[]) {
    return runMeasured(argc, argv, "bench_dispensing", measure);
}
