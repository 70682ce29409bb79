// Inventory passes per second as the inventory thread runs them (RF reset, then an Inventory in
// 16 slots) against the reader emulator with its delays on, beside the limit that the line time
// and the air time of a pass allow; and the same pass on a PC/SC reader, a private pcscd whose
// virtual reader gets its card from the emulator's PC/SC face.

#include "AirTime.h"
#include "EmulatedReader.h"
#include "LineTiming.h"
#include "PcscReaderRig.h"
#include "WireFrame.h"
#include "zqkrt.h"

#include <QElapsedTimer>
#include <QThread>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kBroadcast = 255;
constexpr std::uint8_t kInventory[] = {0x01, 0x00};
constexpr std::size_t kInventoryEntryBytes = 10;
// The virtual reader sees a card come or go only at its next presence check, some 400 ms apart.
constexpr int kCardWaitMs = 20000;
// Until that check a card just taken away still counts as present to the daemon, and passes
// then run as fast as with a card: the set-up looks only after more than one such period.
constexpr unsigned long kCardLookMs = 1000;
// Serial numbers in slots 1, 2 and 3 of 16.
const char* const kTags[] = {"E004010012345671", "E007000000ABCD12", "E016123456789AB3"};

EmulatedReader* station = nullptr;

// The PC/SC reader, started by the first benchmark that needs it.
std::unique_ptr<PcscReaderRig> cardStation;

struct Pass {
    int32_t reset = -1;
    int32_t status = -1;
    int32_t length = 0;
};

// The inventory thread's pass.
Pass runPass(int32_t reader) {
    std::uint8_t response[ZQKRT_RESPONSE_BUFFER_SIZE];
    Pass pass;
    pass.reset = ZQKRT_0x69_RFReset(reader, kBroadcast);
    pass.status = ZQKRT_0xB0_ISOCmd(reader, kBroadcast, kInventory, sizeof kInventory, response,
                                    &pass.length, 0);
    return pass;
}

// A reader with no transponder answers the Inventory with a count of 0.
bool passFound(const Pass& pass, int tags) {
    return (pass.reset == ZQKRT_STATUS_OK || pass.reset == ZQKRT_STATUS_FIELD_SWITCHED_ON) &&
           pass.status == (tags > 0 ? ZQKRT_STATUS_OK : ZQKRT_STATUS_NO_TRANSPONDER) &&
           pass.length == static_cast<int32_t>(1 + kInventoryEntryBytes * tags);
}

std::string passFailure(const Pass& pass) {
    return "pass failed: reset " + std::to_string(pass.reset) + ", inventory " +
           std::to_string(pass.status) + ", " + std::to_string(pass.length) + " bytes";
}

// Runs the benchmark's passes; the passes a second it reached.
double timedPasses(benchmark::State& state, int32_t reader, int tags) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const Pass pass = runPass(reader);
        if (!passFound(pass, tags)) {
            state.SkipWithError(passFailure(pass).c_str());
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<double>(state.iterations()) / elapsed.count();
}

std::size_t frameBytes(wire::FrameKind kind, std::size_t dataBytes) {
    return wire::kOverhead + (kind == wire::FrameKind::Reply ? 3 : 2) + dataBytes;
}

// Request and reply on the line, and the reader's time in the air between them.
std::int64_t exchangeMicros(std::size_t requestData, std::size_t replyData, std::int32_t baud,
                            std::int64_t airMicros) {
    const int bits = wire::bitsPerCharacter(true, 1); // 8E1
    return wire::lineTimeMicros(frameBytes(wire::FrameKind::Request, requestData), baud, bits) +
           airMicros +
           wire::lineTimeMicros(frameBytes(wire::FrameKind::Reply, replyData), baud, bits);
}

std::int64_t passMicros(std::int32_t baud, int tags) {
    std::vector<int> answersPerSlot(16, 0);
    for (int tag = 0; tag < tags; ++tag) {
        answersPerSlot[static_cast<std::size_t>(tag) + 1] = 1;
    }
    const std::size_t inventoryReply = 1 + kInventoryEntryBytes * static_cast<std::size_t>(tags);
    return exchangeMicros(0, 0, baud, air::kFieldResetMicros) +
           exchangeMicros(sizeof kInventory, inventoryReply, baud,
                          air::inventoryMicros(answersPerSlot));
}

// The quiet line the port keeps before each request ("TxTimeControl", "TxDelayTime"): part of a
// pass as the reader library runs it, not time the host loses.
std::int64_t quietMicros(int32_t port) {
    char timeControl[ZQCOM_VALUE_BUFFER_SIZE] = {};
    char delay[ZQCOM_VALUE_BUFFER_SIZE] = {};
    ZQCOM_GetPortPara(port, "TxTimeControl", timeControl);
    ZQCOM_GetPortPara(port, "TxDelayTime", delay);
    return 1000 * wire::txPauseMs(timeControl[0] == '1', std::atoi(delay));
}

bool setUpField(benchmark::State& state, std::int32_t baud, int tags) {
    const std::string rate = std::to_string(baud);
    bool ready = station->emulator.command("clear") &&
                 station->emulator.command(QString("rate %1").arg(baud)) &&
                 ZQCOM_SetPortPara(station->port, "Baud", rate.c_str()) == ZQCOM_OK;
    for (int tag = 0; tag < tags && ready; ++tag) {
        ready = station->emulator.command(QString("place ") + kTags[tag]);
    }
    if (!ready) {
        state.SkipWithError("the emulator or the port refused the set-up");
    }
    return ready;
}

void inventoryPasses(benchmark::State& state) {
    const auto baud = static_cast<std::int32_t>(state.range(0));
    const auto tags = static_cast<int>(state.range(1));
    if (!setUpField(state, baud, tags)) {
        return;
    }
    // A pass makes two requests, each after its quiet line.
    const std::int64_t quiet = quietMicros(station->port);
    const double limit = 1e6 / static_cast<double>(passMicros(baud, tags) + 2 * quiet);
    const double achieved = timedPasses(state, station->reader, tags);
    state.counters["passes_per_s"] = achieved;
    state.counters["limit_per_s"] = limit;
    state.counters["quiet_ms"] = static_cast<double>(quiet) / 1000;
    state.counters["of_limit"] = achieved / limit;
}

BENCHMARK(inventoryPasses)
    ->ArgNames({"baud", "tags"})
    ->Args({38400, 1})
    ->Args({38400, 3})
    ->Args({115200, 1})
    ->Args({115200, 3})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Lays tags transponders on the emulator and waits until the PC/SC reader's pass finds them.
bool setUpCard(benchmark::State& state, int tags) {
    QString error;
    if (!cardStation && !(cardStation = PcscReaderRig::start(error))) {
        state.SkipWithError(("no PC/SC reader: " + error.toStdString()).c_str());
        return false;
    }
    bool ready = cardStation->card.emulator.command("clear");
    for (int tag = 0; tag < tags && ready; ++tag) {
        ready = cardStation->card.emulator.command(QString("place ") + kTags[tag]);
    }
    QElapsedTimer waited;
    waited.start();
    Pass pass;
    while (ready && !passFound(pass, tags) && waited.elapsed() < kCardWaitMs) {
        QThread::msleep(kCardLookMs);
        pass = runPass(cardStation->card.reader);
    }
    if (!ready || !passFound(pass, tags)) {
        state.SkipWithError(
            ("the PC/SC reader did not show the field: " + passFailure(pass)).c_str());
        return false;
    }
    return true;
}

// A PC/SC reader presents one card at most. No line or air time bounds these passes: they cross
// the PC/SC client library, the daemon, the virtual reader driver and a TCP link to the emulator.
void pcscInventoryPasses(benchmark::State& state) {
    const auto tags = static_cast<int>(state.range(0));
    if (!setUpCard(state, tags)) {
        return;
    }
    state.counters["passes_per_s"] = timedPasses(state, cardStation->card.reader, tags);
}

BENCHMARK(pcscInventoryPasses)
    ->ArgName("tags")
    ->Arg(1)
    ->Arg(0)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    EmulatedReader emulated;
    QString error;
    if (!emulated.startSerial(error)) {
        std::fprintf(stderr, "no reader emulator: %s\n", qPrintable(error));
        return 1;
    }
    station = &emulated;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cardStation.reset();
    return 0;
}
