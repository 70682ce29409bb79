// The tag list against the reader emulator with its line and air delays on: the time from a tag
// laid on the reader to its row in the list, beside the time of one inventory pass; and the CPU
// the station spends while the inventory runs, no tag lies on the reader and a dispensing check
// waits for one. The same latency on a PC/SC reader: a private pcscd whose virtual reader gets
// its card from the emulator's PC/SC face. And the rows a container left lying on the reader
// adds to the journal and the audit table.

#include "AuditWriter.h"
#include "DayText.h"
#include "DemoDatabases.h"
#include "DispensingCheck.h"
#include "DispensingJournal.h"
#include "EmulatedReader.h"
#include "FieldIndex.h"
#include "OrderStatements.h"
#include "PcscReaderRig.h"
#include "TADOConnection.h"
#include "TADOQuery.h"
#include "TagInventory.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

const QString kUid = QStringLiteral("E004010012345678");
constexpr int kPlacements = 200;
constexpr int kLimitMs = 10000;
// Placements are spread over the phase of the inventory's passes.
constexpr int kMaxPhaseMs = 40;
// The virtual reader sees a card only at its presence checks, some 400 ms apart: the placements
// are spread over more than one such period.
constexpr int kPcscPlacements = 200;
constexpr int kPcscMaxPhaseMs = 500;
constexpr int kIdleSeconds = 4;
constexpr int kLyingSeconds = 5;

// The main window's share: the tag list controls, and the dispensing check that reads them.
class Station : private DispensingWindow {
public:
    explicit Station(db::TADOQuery& lines) : lines_(lines) {
        list.setHeaderLabels({QStringLiteral("TagType"), QStringLiteral("SerialNumber")});
        QObject::connect(&inventory, &TagInventory::tagListChanged, &list, [this] {
            updates.push_back(Clock::now());
            check.tagListChanged();
        });
    }

    QTreeWidget list;
    QListWidget seen;
    QLineEdit count;
    QPushButton run;
    QAction comPort;
    QAction searchReader;
    TagInventory inventory{{&list, &seen, &count, &run, &comPort, &searchReader}};
    DispensingCheck check{*this};

    // The container of the open order's line at `row`.
    std::optional<QString> serialOfLine(int row) const {
        if (row >= lines_.RecordCount())
            return std::nullopt;
        return lines_.valueAt(row, findField(lines_, QStringLiteral("SerialNumber"))).toString();
    }
    std::vector<Clock::time_point> updates;
    // Looks of the dispensing check at the tag list.
    mutable long polls = 0;
    // The expiry date every drug has; none when it has none.
    std::optional<QDate> expiry;

private:
    db::TADOQuery& orderLines() override { return lines_; }
    int tagCount() const override {
        ++polls;
        return list.topLevelItemCount();
    }
    std::optional<QString> firstTagSerial() const override {
        if (list.topLevelItemCount() == 0)
            return std::nullopt;
        return list.topLevelItem(0)->text(1);
    }
    void showWarning(const QString&) override {}
    void showWeight(const QString&) override {}
    QString weightText() const override { return {}; }
    balance::BalanceReading weightReading() const override { return {}; }
    balance::ReadingStamp weightStamp() const override { return {}; }
    DrugChecks drugChecks(const QString&) override {
        DrugChecks checks;
        checks.expiry = expiry;
        return checks;
    }
    void clearSeenTags() override {}
    void orderCompleted() override {}

    db::TADOQuery& lines_;
};

ReaderEmulatorProcess* emulator = nullptr;
Station* station = nullptr;
const db::DatabaseLocation* database = nullptr;
std::int32_t serialReader = 0;
// The reader the station's inventory runs on.
std::int32_t inventoried = 0;

// The PC/SC reader, started by the first benchmark that needs it.
std::unique_ptr<PcscReaderRig> cardStation;

// As the station does after its reader search found another reader.
void inventoryOn(std::int32_t reader) {
    if (inventoried == reader)
        return;
    station->inventory.stop();
    station->inventory.startShow(reader);
    station->inventory.Btn_RunClick();
    inventoried = reader;
}

bool listed() {
    return !station->list.findItems(kUid, Qt::MatchExactly, 1).isEmpty();
}

// Serves the UI thread until a list update after which done holds; the time of that update, or
// none after kLimitMs.
std::optional<Clock::time_point> serveUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    std::optional<Clock::time_point> at;
    QObject::connect(&station->inventory, &TagInventory::tagListChanged, &loop, [&] {
        if (!at && done()) {
            at = Clock::now();
            loop.quit();
        }
    });
    QTimer::singleShot(kLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return at;
}

void serveFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(values.size()));
    return values[std::min(rank, values.size() - 1)];
}

double medianPassMs(const std::vector<Clock::time_point>& updates) {
    std::vector<double> intervals;
    for (std::size_t i = 1; i < updates.size(); ++i)
        intervals.push_back(Millis(updates[i] - updates[i - 1]).count());
    return intervals.empty() ? 0.0 : percentile(intervals, 0.5);
}

// Lays the tag at a random moment up to maxPhaseMs after the list showed the field empty, each
// iteration, and times it until its row is in the list.
void placeAndTime(benchmark::State& state, ReaderEmulatorProcess& emulator, int maxPhaseMs) {
    if (!emulator.command("clear") || !serveUntil([] { return !listed(); })) {
        state.SkipWithError("the field did not empty");
        return;
    }
    std::mt19937 random(1);
    std::uniform_int_distribution<int> phaseMs(0, maxPhaseMs);
    std::vector<double> latencies;
    station->updates.clear();
    for (auto _ : state) {
        serveFor(phaseMs(random));
        const Clock::time_point placed = Clock::now();
        if (!emulator.command("place " + kUid)) {
            state.SkipWithError("the emulator refused the tag");
            break;
        }
        const std::optional<Clock::time_point> shown = serveUntil(listed);
        if (!shown) {
            state.SkipWithError("the tag never showed");
            break;
        }
        latencies.push_back(Millis(*shown - placed).count());
        state.SetIterationTime(latencies.back() / 1000.0);
        if (!emulator.command("remove " + kUid) || !serveUntil([] { return !listed(); })) {
            state.SkipWithError("the tag never went");
            break;
        }
    }
    if (latencies.empty())
        return;
    const double passMs = medianPassMs(station->updates);
    state.counters["median_ms"] = percentile(latencies, 0.5);
    state.counters["p99_ms"] = percentile(latencies, 0.99);
    state.counters["min_ms"] = percentile(latencies, 0);
    state.counters["max_ms"] = percentile(latencies, 1);
    state.counters["pass_ms"] = passMs;
    state.counters["p99_in_passes"] = passMs > 0 ? percentile(latencies, 0.99) / passMs : 0;
}

void placementToRow(benchmark::State& state) {
    inventoryOn(serialReader);
    placeAndTime(state, *emulator, kMaxPhaseMs);
}

BENCHMARK(placementToRow)->Iterations(kPlacements)->UseManualTime()->Unit(benchmark::kMillisecond);

void pcscPlacementToRow(benchmark::State& state) {
    QString error;
    if (!cardStation && !(cardStation = PcscReaderRig::start(error))) {
        state.SkipWithError(("no PC/SC reader: " + error.toStdString()).c_str());
        return;
    }
    inventoryOn(cardStation->card.reader);
    placeAndTime(state, cardStation->card.emulator, kPcscMaxPhaseMs);
}

BENCHMARK(pcscPlacementToRow)
    ->Iterations(kPcscPlacements)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Argument 1: a dispensing check run waits meanwhile; 0: the inventory alone.
void cpuWithoutTag(benchmark::State& state) {
    inventoryOn(serialReader);
    if (!emulator->command("clear") || !serveUntil([] { return !listed(); })) {
        state.SkipWithError("the field did not empty");
        return;
    }
    const bool checking = state.range(0) != 0;
    for (auto _ : state) {
        const double uiBefore = cpuSeconds(RUSAGE_THREAD);
        const double processBefore = cpuSeconds(RUSAGE_SELF);
        station->polls = 0;
        const Clock::time_point start = Clock::now();
        const Clock::time_point end = start + std::chrono::seconds(kIdleSeconds);
        if (checking)
            station->check.CheckDispensing([end] { return Clock::now() >= end; });
        else
            serveFor(kIdleSeconds * 1000);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["ui_thread_cpu_pct"] = 100 * (cpuSeconds(RUSAGE_THREAD) - uiBefore) / wall;
        state.counters["process_cpu_pct"] = 100 * (cpuSeconds(RUSAGE_SELF) - processBefore) / wall;
        // How long a run with no tag lasts, its whole idle budget spent at this pace.
        if (checking && station->polls > 0)
            state.counters["idle_run_h"] = DispensingCheck::defaultIdleBudget * wall /
                                           static_cast<double>(station->polls) / 3600;
    }
}

BENCHMARK(cpuWithoutTag)
    ->ArgName("check")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

long linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<long>(file.readAll().count('\n'));
}

// The container of line 2 of the open order lies on the reader while the check warns of it on
// every turn: at line 1 as a wrong container, at its own line as an expired one (so it is never
// stored and the warnings go on). The rows it adds in its first seconds, and at the pace of the
// seconds after, in an hour.
void containerLeftLying(benchmark::State& state) {
    const std::optional<QString> serial = station->serialOfLine(1);
    if (!serial) {
        state.SkipWithError("the open order has no second line");
        return;
    }
    inventoryOn(serialReader);
    if (!emulator->command("clear") || !emulator->command("place " + *serial) || !serveUntil([&] {
            return !station->list.findItems(*serial, Qt::MatchExactly, 1).isEmpty();
        })) {
        state.SkipWithError("the container never showed");
        return;
    }
    station->expiry = QDate::currentDate().addDays(-1);
    const QTemporaryDir folder;
    DispensingJournal journal(folder.filePath(DispensingJournal::defaultFileName()));
    const StationIdentity identity{QStringLiteral("bench-lying"), QStringLiteral("bench")};
    const auto auditRows = [&identity] {
        db::TADOConnection connection(*database);
        return connection
            .fetch(QStringLiteral("SELECT COUNT(*) FROM 配藥紀錄 WHERE 工作站 = '%1'")
                       .arg(identity.station))
            .rows.value(0)
            .value(0)
            .toLongLong();
    };
    const auto lieFor = [](int seconds) {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < end)
            station->check.CheckDispensing([end] { return Clock::now() >= end; });
    };
    for (auto _ : state) {
        const long auditBefore = auditRows();
        std::array<long, 2> journalRows{};
        std::array<long, 2> turns{};
        {
            AuditWriter writer(*database, nullptr);
            station->check.setJournal(&journal);
            station->check.setAudit(identity, &writer);
            for (std::size_t half = 0; half < 2; ++half) {
                const long pollsBefore = station->polls;
                lieFor(kLyingSeconds);
                journalRows[half] = linesOf(journal.path());
                turns[half] = station->polls - pollsBefore;
            }
            station->check.setJournal(nullptr);
            station->check.setAudit({}, nullptr);
        }
        const double laterPerSecond =
            double(journalRows[1] - journalRows[0]) / double(kLyingSeconds);
        state.counters["journal_rows_start"] = double(journalRows[0]);
        state.counters["journal_rows_later"] = double(journalRows[1] - journalRows[0]);
        state.counters["audit_rows"] = double(auditRows() - auditBefore);
        state.counters["looks_per_s"] = double(turns[0] + turns[1]) / (2.0 * kLyingSeconds);
        state.counters["rows_in_an_hour"] =
            double(journalRows[0]) + laterPerSecond * (3600.0 - kLyingSeconds);
    }
    station->expiry.reset();
    emulator->command("clear");
}

BENCHMARK(containerLeftLying)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// A demo database and the lines of one of today's orders in query.
void openOrderLines(db::TADOQuery& query, const QString& path) {
    const demodb::MakerSettings settings = demoSettings(path);
    demodb::makeDemoDatabase(settings);
    const QString day = db::DayText(settings.demo.today);
    query.SQL = db::orderListStatement(day);
    query.Open();
    if (query.RecordCount() <= 0)
        throw std::runtime_error("no order today in the demo database");
    const QString sequence = query.FieldByName(QStringLiteral("領藥序號")).AsString();
    query.Close();
    query.SQL = db::orderLinesStatement(sequence, day);
    query.Open();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir databaseFolder;
    EmulatedReader emulated;
    QString error;
    if (!databaseFolder.isValid() || !emulated.startSerial(error)) {
        std::fprintf(stderr, "no reader emulator: %s\n", qPrintable(error));
        return 1;
    }
    serialReader = emulated.reader;
    const QString databasePath = databaseFolder.filePath(db::DatabaseLocation::defaultFileName());
    db::TADOConnection connection(db::DatabaseLocation::file(databasePath));
    db::TADOQuery lines(connection);
    try {
        openOrderLines(lines, databasePath);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_taglist: %s\n", failure.what());
        return 1;
    }
    Station running(lines);
    database = &connection.location();
    emulator = &emulated.emulator;
    station = &running;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    running.inventory.stop();
    cardStation.reset();
    return 0;
}
