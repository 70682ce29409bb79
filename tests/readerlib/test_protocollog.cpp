#include "ProtocolLog.h"
#include "zqkrt.h"

#include <QTest>
#include <string>
#include <thread>
#include <vector>

using zqkrt_internal::FrameDirection;
using zqkrt_internal::ProtocolLog;

namespace {

std::string takeAll(ProtocolLog& log, std::size_t size) {
    std::string text(size, 'x');
    const long moved = log.take(text.data(), text.size());
    return moved < 0 ? "refused" : text.substr(0, static_cast<std::size_t>(moved));
}

} // namespace

class TestProtocolLog : public QObject {
    Q_OBJECT

private slots:
    void linesShowDirectionAndBytes();
    void takesWholeLinesOldestFirst_data();
    void takesWholeLinesOldestFirst();
    void refusesABufferTooSmallForTheOldestLine();
    void keepsTheNewestWithinItsCapacity();
    void readersKeepSeparateLogsAcrossThreads();
};

void TestProtocolLog::linesShowDirectionAndBytes() {
    QCOMPARE(zqkrt_internal::protocolLogLine(FrameDirection::Sent, {0xA5, 0x02, 0xFF, 0x52, 0x0A}),
             std::string("-> A5 02 FF 52 0A"));
    QCOMPARE(zqkrt_internal::protocolLogLine(FrameDirection::Received, {0x00, 0xE0}),
             std::string("<- 00 E0"));
    QCOMPARE(zqkrt_internal::protocolLogLine(FrameDirection::Received, {}), std::string("<-"));
}

void TestProtocolLog::takesWholeLinesOldestFirst_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("firstTake");
    QTest::addColumn<QString>("secondTake");

    // Lines of 6, 4 and 6 characters with their line ends; the NUL needs one byte more.
    QTest::newRow("all fit") << 64 << "-> A5\n<- \n-> 01\n"
                             << "";
    QTest::newRow("exactly all") << 17 << "-> A5\n<- \n-> 01\n"
                                 << "";
    QTest::newRow("one byte short of all") << 16 << "-> A5\n<- \n"
                                           << "-> 01\n";
    QTest::newRow("oldest only") << 7 << "-> A5\n"
                                 << "<- \n";
}

void TestProtocolLog::takesWholeLinesOldestFirst() {
    QFETCH(int, size);
    QFETCH(QString, firstTake);
    QFETCH(QString, secondTake);
    ProtocolLog log;
    log.append("-> A5");
    log.append("<- ");
    log.append("-> 01");
    QCOMPARE(QString::fromStdString(takeAll(log, static_cast<std::size_t>(size))), firstTake);
    QCOMPARE(QString::fromStdString(takeAll(log, static_cast<std::size_t>(size))), secondTake);
}

void TestProtocolLog::refusesABufferTooSmallForTheOldestLine() {
    ProtocolLog log;
    log.append("-> A5 02");
    char text[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    QCOMPARE(log.take(text, sizeof text), -1L);
    QCOMPARE(text[0], '\0');
    QCOMPARE(text[1], 'x');
    QCOMPARE(log.take(text, 0), -1L);
    QCOMPARE(log.size(), std::size_t{9});
    QCOMPARE(takeAll(log, 10), std::string("-> A5 02\n"));
    QCOMPARE(log.size(), std::size_t{0});
    QCOMPARE(log.take(text, 0), 0L);
}

void TestProtocolLog::keepsTheNewestWithinItsCapacity() {
    ProtocolLog log;
    const std::string filler(99, 'F'); // 100 bytes a line with its line end
    const std::size_t lines = ProtocolLog::kCapacity / 100 + 50;
    for (std::size_t i = 0; i < lines; ++i) {
        log.append(filler);
    }
    log.append("-> newest");
    QVERIFY(log.size() <= ProtocolLog::kCapacity);
    QVERIFY(log.size() > ProtocolLog::kCapacity - 100);
    const std::string text = takeAll(log, ProtocolLog::kCapacity + 1);
    QCOMPARE(text.size() % 100, std::size_t{10}); // whole filler lines, then the newest line
    QVERIFY(text.ends_with(filler + "\n-> newest\n"));
}

void TestProtocolLog::readersKeepSeparateLogsAcrossThreads() {
    constexpr int kLines = 2000;
    std::vector<std::thread> writers;
    for (std::int32_t reader = 901; reader <= 904; ++reader) {
        writers.emplace_back([reader] {
            for (int i = 0; i < kLines; ++i) {
                zqkrt_internal::appendToProtocolLog(reader, "<- " + std::to_string(reader));
            }
        });
    }
    // Taking while others write: each take gives whole lines of its own reader only.
    std::string taken;
    std::vector<char> text(1000);
    for (int i = 0; i < 200; ++i) {
        const std::int32_t moved =
            zqkrt_internal::takeFromProtocolLog(901, text.data(), text.size());
        QVERIFY(moved >= 0);
        taken.append(text.data(), static_cast<std::size_t>(moved));
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    for (std::int32_t moved = 1; moved > 0;) {
        moved = zqkrt_internal::takeFromProtocolLog(901, text.data(), text.size());
        QVERIFY(moved >= 0);
        taken.append(text.data(), static_cast<std::size_t>(moved));
    }
    std::string expected;
    for (int i = 0; i < kLines; ++i) {
        expected += "<- 901\n";
    }
    QCOMPARE(taken, expected);
    QCOMPARE(zqkrt_internal::takeFromProtocolLog(902, text.data(), 7),
             std::int32_t{ZQKRT_ERR_BUFFER_TOO_SMALL});
    QCOMPARE(zqkrt_internal::takeFromProtocolLog(905, text.data(), text.size()), 0);
    QCOMPARE(text[0], '\0');
}

QTEST_GUILESS_MAIN(TestProtocolLog)
#include "test_protocollog.moc"
