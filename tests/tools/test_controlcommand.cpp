#include "ControlCommand.h"

#include <QTest>

using emulator::ControlVerb;
using emulator::FaultKind;

Q_DECLARE_METATYPE(ControlVerb)

namespace {

emulator::ControlCommand parsed(const char* line) {
    std::string error;
    const auto command = emulator::parseControlCommand(line, error);
    if (!command) {
        qFatal("refused \"%s\": %s", line, error.c_str());
    }
    return *command;
}

} // namespace

class TestControlCommand : public QObject {
    Q_OBJECT

private slots:
    void verbs_data();
    void verbs();
    void refusals_data();
    void refusals();
    void argumentsAreKept();
};

void TestControlCommand::verbs_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<ControlVerb>("verb");
    QTest::newRow("blank") << "   " << ControlVerb::Nothing;
    QTest::newRow("comment") << "# placed by the demo" << ControlVerb::Nothing;
    QTest::newRow("place") << "place E004010012345678" << ControlVerb::Place;
    QTest::newRow("upper case verb") << "PLACE e004010012345678" << ControlVerb::Place;
    QTest::newRow("list") << "list\r" << ControlVerb::List;
    QTest::newRow("readonly") << "readonly E004010012345678 On" << ControlVerb::ReadOnly;
    QTest::newRow("fault") << "fault garbage" << ControlVerb::Fault;
    QTest::newRow("hangup") << "fault hangup" << ControlVerb::Hangup;
    QTest::newRow("status") << "\tstatus " << ControlVerb::Status;
}

void TestControlCommand::verbs() {
    QFETCH(QString, line);
    QFETCH(ControlVerb, verb);
    QCOMPARE(parsed(line.toUtf8().constData()).verb, verb);
}

void TestControlCommand::refusals_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown verb") << "launch";
    QTest::newRow("UID too short") << "place E0040100123456";
    QTest::newRow("UID not E0") << "place E104010012345678";
    QTest::newRow("shape incomplete") << "place E004010012345678 01 28";
    QTest::newRow("no blocks") << "place E004010012345678 01 0 4";
    QTest::newRow("block size too big") << "place E004010012345678 01 28 33";
    QTest::newRow("type not a byte") << "place E004010012345678 100 28 4";
    QTest::newRow("remove without UID") << "remove";
    QTest::newRow("clear with argument") << "clear all";
    QTest::newRow("block odd hex") << "block E004010012345678 0 0102030";
    QTest::newRow("block negative index") << "block E004010012345678 -1 01020304";
    QTest::newRow("rate not served") << "rate 14400";
    QTest::newRow("frame 7E1") << "frame 7E1";
    QTest::newRow("broadcast as own address") << "address 255";
    QTest::newRow("fault unknown") << "fault fire";
    QTest::newRow("slow without time") << "fault slow";
    QTest::newRow("slow too long") << "fault slow 600000";
    QTest::newRow("silence with time") << "fault silence 10";
}

void TestControlCommand::refusals() {
    QFETCH(QString, line);
    std::string error;
    QVERIFY(!emulator::parseControlCommand(line.toStdString(), error));
    QVERIFY(!error.empty());
}

void TestControlCommand::argumentsAreKept() {
    const auto bare = parsed("place e004010012345678");
    QCOMPARE(bare.uid, (wire::Bytes{0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56, 0x78}));
    QVERIFY(!bare.shape);
    const auto shaped = parsed("place E007000012A4C5F6 0x01 64 8");
    QVERIFY(shaped.shape);
    QCOMPARE(shaped.shape->type, 0x01);
    QCOMPARE(shaped.shape->blockCount, 64);
    QCOMPARE(shaped.shape->blockSize, 8);

    const auto block = parsed("block E004010012345678 27 DEADbeef");
    QCOMPARE(block.blockIndex, 27);
    QCOMPARE(block.data, (wire::Bytes{0xDE, 0xAD, 0xBE, 0xEF}));

    QCOMPARE(parsed("rate 1200").rate, 1200);
    QCOMPARE(parsed("frame 8o1").frame, emulator::LineFrame::O81);
    QCOMPARE(parsed("address 254").address, 254);
    QCOMPARE(parsed("readonly E004010012345678 off").on, false);
    QCOMPARE(parsed("delays ON").on, true);
    QCOMPARE(parsed("fault badcrc").fault.kind, FaultKind::BadCrc);
    const auto slow = parsed("fault slow 250");
    QCOMPARE(slow.fault.kind, FaultKind::Slow);
    QCOMPARE(slow.fault.slowMs, 250);
}

QTEST_APPLESS_MAIN(TestControlCommand)
#include "test_controlcommand.moc"
