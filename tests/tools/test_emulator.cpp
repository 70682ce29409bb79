#include "Deframer.h"
#include "Emulator.h"
#include "RequestFrames.h"

#include <QTest>

using emulator::Emulator;
using emulator::LineFrame;
using emulator::RateAndFrame;

namespace {

const RateAndFrame kLine{9600, LineFrame::E81};

emulator::Catalogue catalogueOf(const char* text) {
    std::string error;
    emulator::Catalogue catalogue = emulator::parseCatalogue(text, error);
    if (!error.empty()) {
        qFatal("bad catalogue in test: %s", error.c_str());
    }
    return catalogue;
}

// Feeds what went on the line to a host's deframer.
wire::Deframer hostSees(const wire::Bytes& bytes) {
    wire::Deframer deframer(wire::FrameKind::Reply);
    deframer.feed(bytes.data(), bytes.size());
    return deframer;
}

} // namespace

class TestEmulator : public QObject {
    Q_OBJECT

private slots:
    void placeTakesTheShapeFromTheCatalogue();
    void placeRefusesTwinsAndRemoveTheAbsent();
    void blockWritesOneBlockWithinTheTag();
    void readOnlyRefusesWritesFromTheLine();
    void hangupAndQuitAreLeftToTheProgram();
    void faults_data();
    void faults();
    void delayIsLineTimePlusAirTime();
};

void TestEmulator::placeTakesTheShapeFromTheCatalogue() {
    Emulator reader(kLine, 0, false,
                    catalogueOf("uid\ttype\tblocks\tblock_size\tdrug\n"
                                "E007000012A4C5F6\t01\t8\t4\tAtorvastatin 20mg\n"));
    QVERIFY(reader.executeLine("place E007000012A4C5F6").error.empty());
    QVERIFY(reader.executeLine("place E004010012345678").error.empty());
    QVERIFY(reader.executeLine("place E004010012345679 03 64 8").error.empty());
    const auto list = reader.executeLine("list");
    QCOMPARE(list.lines, (std::vector<std::string>{
                             "E007000012A4C5F6 type 01 blocks 8 size 4 drug Atorvastatin 20mg",
                             "E004010012345678 type 00 blocks 28 size 4",
                             "E004010012345679 type 03 blocks 64 size 8"}));
    QCOMPARE(list.finalLine(), std::string("ok"));
    QCOMPARE(reader.state().field[2].customEntries[3].size(), std::size_t{8});
}

void TestEmulator::placeRefusesTwinsAndRemoveTheAbsent() {
    Emulator reader(kLine, 0, false, {});
    QVERIFY(reader.executeLine("place E004010012345678").error.empty());
    const auto twin = reader.executeLine("place E004010012345678 01 8 4");
    QVERIFY(twin.finalLine().rfind("error: ", 0) == 0);
    QCOMPARE(reader.state().field.size(), std::size_t{1});
    QCOMPARE(reader.state().field[0].type, 0x00);

    QVERIFY(!reader.executeLine("remove E004010012345679").error.empty());
    QVERIFY(reader.executeLine("remove E004010012345678").error.empty());
    QVERIFY(reader.state().field.empty());

    reader.executeLine("place E004010012345678");
    reader.executeLine("place E004010012345679");
    QVERIFY(reader.executeLine("clear").error.empty());
    QVERIFY(reader.state().field.empty());
}

void TestEmulator::blockWritesOneBlockWithinTheTag() {
    Emulator reader(kLine, 0, false, {});
    reader.executeLine("place E004010012345678 00 8 4");
    QVERIFY(reader.executeLine("block E004010012345678 7 A1B2C3D4").error.empty());
    const wire::Bytes& memory = reader.state().field[0].memory;
    QCOMPARE(wire::Bytes(memory.end() - 4, memory.end()), (wire::Bytes{0xA1, 0xB2, 0xC3, 0xD4}));
    QCOMPARE(wire::Bytes(memory.end() - 8, memory.end() - 4), (wire::Bytes{0, 0, 0, 0}));

    QVERIFY(!reader.executeLine("block E004010012345678 8 01020304").error.empty());
    QVERIFY(!reader.executeLine("block E004010012345678 0 010203").error.empty());
    QVERIFY(!reader.executeLine("block E004010012345679 0 01020304").error.empty());
    QCOMPARE(reader.state().field[0].memory.size(), std::size_t{32});
}

void TestEmulator::readOnlyRefusesWritesFromTheLine() {
    Emulator reader(kLine, 0, false, {});
    reader.executeLine("place E004010012345678 00 8 4");
    QVERIFY(reader.executeLine("readonly E004010012345678 on").error.empty());
    wire::Frame write;
    write.command = 0xB0;
    write.data = {0x24, 0x00, 0x78, 0x56, 0x34, 0x12, 0x00, 0x01, 0x04,
                  0xE0, 0x00, 0x01, 0x04, 1,    2,    3,    4};
    std::mt19937 random(1);
    const auto planned = reader.handleRequest(write, kLine, random);
    QVERIFY(planned);
    auto host = hostSees(planned->bytes);
    const auto reply = host.next();
    QVERIFY(reply);
    QCOMPARE(reply->status, 0x03);
    QCOMPARE(reader.state().field[0].memory, wire::Bytes(32, 0x00));
}

void TestEmulator::hangupAndQuitAreLeftToTheProgram() {
    Emulator reader(kLine, 0, false, {});
    reader.executeLine("fault badcrc");
    const auto hangup = reader.executeLine("fault hangup");
    QVERIFY(hangup.hangup && !hangup.quit);
    QCOMPARE(reader.fault().kind, emulator::FaultKind::BadCrc);
    const auto quit = reader.executeLine("quit");
    QVERIFY(quit.quit && !quit.hangup);
    QCOMPARE(quit.text(), std::string("ok\n"));
    QCOMPARE(reader.executeLine("jump").text(), std::string("error: unknown command jump\n"));
}

void TestEmulator::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<bool>("replyFound");
    QTest::addColumn<int>("sizeChange"); // -1 shorter, 0 same, 1 longer
    QTest::newRow("none") << "none" << true << true << 0;
    QTest::newRow("silence") << "silence" << false << false << 0;
    QTest::newRow("garbage") << "garbage" << true << false << 0;
    QTest::newRow("noise") << "noise" << true << true << 1;
    QTest::newRow("badcrc") << "badcrc" << true << false << 0;
    QTest::newRow("short") << "short" << true << false << -1;
}

void TestEmulator::faults() {
    QFETCH(QString, fault);
    QFETCH(bool, sent);
    QFETCH(bool, replyFound);
    QFETCH(int, sizeChange);
    Emulator reader(kLine, 0, false, {});
    reader.executeLine("place E004010012345678");
    std::mt19937 random(0);
    const auto clean = reader.handleRequest(inventory(), kLine, random);
    QVERIFY(clean);
    QVERIFY(reader.executeLine(("fault " + fault).toStdString()).error.empty());

    // Many rounds, so that random bytes get every chance to pass for a frame.
    for (int round = 0; round < 200; ++round) {
        const auto planned = reader.handleRequest(inventory(), kLine, random);
        QCOMPARE(planned.has_value(), sent);
        if (!planned) {
            continue;
        }
        const int change = planned->bytes.size() < clean->bytes.size()   ? -1
                           : planned->bytes.size() > clean->bytes.size() ? 1
                                                                         : 0;
        QCOMPARE(change, sizeChange);
        auto host = hostSees(planned->bytes);
        const auto reply = host.next();
        QCOMPARE(reply.has_value(), replyFound);
        if (reply) {
            QCOMPARE(reply->status, 0x00);
            QCOMPARE(reply->data.size(), std::size_t{11});
        }
    }
}

void TestEmulator::delayIsLineTimePlusAirTime() {
    Emulator reader(kLine, 0, true, {});
    std::mt19937 random(0);
    // 6 request bytes and 8 reply bytes of 11 bits at 9600 Bd, each rounded up to a microsecond.
    const auto baud = reader.handleRequest(getBaud(), kLine, random);
    QVERIFY(baud);
    QCOMPARE(baud->delayMicros, std::int64_t{6875 + 9167});

    reader.executeLine("place E004010012345678");
    const auto withTag = reader.handleRequest(inventory(), kLine, random);
    QVERIFY(withTag);
    const std::int64_t lineOnly = 9167 + 20625; // 8 + 18 bytes
    QVERIFY2(withTag->delayMicros > lineOnly + 12000, "16 slots take over 12 ms in the air");

    reader.executeLine("delays off");
    QCOMPARE(reader.handleRequest(inventory(), kLine, random)->delayMicros, std::int64_t{0});
}

QTEST_APPLESS_MAIN(TestEmulator)
#include "test_emulator.moc"
