// Inventory passes per second as the inventory thread runs them (RF reset, then an Inventory in
// 16 slots) against the reader emulator with its delays on, beside the limit that the line time
// and the air time of a pass allow.

#include "AirTime.h"
#include "LineTiming.h"
#include "ReaderEmulatorProcess.h"
#include "WireFrame.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kBroadcast = 255;
constexpr std::uint8_t kInventory[] = {0x01, 0x00};
constexpr std::size_t kInventoryEntryBytes = 10;
// Serial numbers in slots 1, 2 and 3 of 16.
const char* const kTags[] = {"E004010012345671", "E007000000ABCD12", "E016123456789AB3"};

struct Station {
    ReaderEmulatorProcess emulator;
    int32_t port = 0;
    int32_t reader = 0;
};

Station* station = nullptr;

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
    const auto expectedLength = static_cast<int32_t>(1 + kInventoryEntryBytes * tags);
    std::uint8_t response[ZQKRT_RESPONSE_BUFFER_SIZE];
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const int32_t reset = ZQKRT_0x69_RFReset(station->reader, kBroadcast);
        int32_t length = 0;
        const int32_t status = ZQKRT_0xB0_ISOCmd(station->reader, kBroadcast, kInventory,
                                                 sizeof kInventory, response, &length, 0);
        if ((reset != 0 && reset != 0x84) || status != 0 || length != expectedLength) {
            state.SkipWithError(("pass failed: reset " + std::to_string(reset) + ", inventory " +
                                 std::to_string(status))
                                    .c_str());
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double limit = 1e6 / static_cast<double>(passMicros(baud, tags));
    const double achieved = static_cast<double>(state.iterations()) / elapsed.count();
    state.counters["passes_per_s"] = achieved;
    state.counters["limit_per_s"] = limit;
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir directory;
    Station emulated;
    QString error;
    if (!directory.isValid() ||
        !emulated.emulator.start(QCoreApplication::applicationDirPath() + "/reader-emulator",
                                 directory.path(), {}, error) ||
        !QDir::setCurrent(directory.path())) {
        std::fprintf(stderr, "no reader emulator: %s\n", qPrintable(error));
        return 1;
    }
    emulated.port = ZQCOM_OpenPort("1");
    emulated.reader = ZQKRT_NewReader(0);
    if (emulated.port <= 0 || emulated.reader <= 0 ||
        ZQKRT_SetReaderPara(emulated.reader, "PortHnd", std::to_string(emulated.port).c_str()) !=
            ZQKRT_OK) {
        std::fprintf(stderr, "cannot bind a reader to the emulator's port\n");
        return 1;
    }
    station = &emulated;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ZQCOM_ClosePort(emulated.port);
    return 0;
}
