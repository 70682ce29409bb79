#include "HexBytes.h"
#include "Responder.h"

#include <QTest>

using emulator::LineFrame;
using emulator::RateAndFrame;
using emulator::ReaderState;
using wire::Bytes;

Q_DECLARE_METATYPE(wire::Bytes)
Q_DECLARE_METATYPE(LineFrame)

namespace {

emulator::Transponder makeTag(const char* uid, std::uint8_t type = 0x00, int blockCount = 28,
                              int blockSize = 4) {
    return emulator::makeTransponder(hex(uid), type, blockCount, blockSize).value();
}

// The UID low byte first, as it travels.
Bytes airOrder(Bytes uid) {
    return Bytes(uid.rbegin(), uid.rend());
}

const RateAndFrame kOwnLine{38400, LineFrame::E81};
const Bytes kUidA = hex("E004010012345678");

wire::Frame request(std::uint8_t command, Bytes data = {},
                    std::uint8_t address = wire::kBroadcastAddress) {
    wire::Frame frame;
    frame.address = address;
    frame.command = command;
    frame.data = std::move(data);
    return frame;
}

// [code][mode][UID air order][parameters]
Bytes addressed(std::uint8_t code, const Bytes& hostUid, const Bytes& parameters = {}) {
    Bytes bytes{code, 0x00};
    const Bytes uid = airOrder(hostUid);
    bytes.insert(bytes.end(), uid.begin(), uid.end());
    bytes.insert(bytes.end(), parameters.begin(), parameters.end());
    return bytes;
}

ReaderState readerWith(std::vector<emulator::Transponder> field) {
    ReaderState state;
    state.line = kOwnLine;
    state.fieldOn = true;
    state.field = std::move(field);
    return state;
}

// A tag whose memory byte i holds i, so every block read shows where it came from.
emulator::Transponder patternedTag(int blocks) {
    emulator::Transponder tag = makeTag("E004010012345678", 0x00, blocks, 4);
    for (std::size_t index = 0; index < tag.memory.size(); ++index) {
        tag.memory[index] = static_cast<std::uint8_t>(index);
    }
    return tag;
}

wire::Frame isoExchange(ReaderState& state, const Bytes& isoRequest) {
    const auto exchange =
        emulator::respond(state, kOwnLine, request(emulator::IsoCommand, isoRequest));
    if (!exchange) {
        qFatal("no reply to an ISO request");
    }
    return exchange->reply;
}

} // namespace

class TestResponder : public QObject {
    Q_OBJECT

private slots:
    void getBaudGivesTheRateIndex_data();
    void getBaudGivesTheRateIndex();
    void silentWhenTheHostLineDiffers_data();
    void silentWhenTheHostLineDiffers();
    void answersBroadcastAndOwnAddressOnly_data();
    void answersBroadcastAndOwnAddressOnly();
    void fieldSwitchedOnIsReportedOnce();
    void refusesMalformedRequests_data();
    void refusesMalformedRequests();
    void unknownCommandsAreNamedSo();
    void inventory_data();
    void inventory();
    void inventoryListsAtMost25();
    void readMultipleBlocks_data();
    void readMultipleBlocks();
    void readFromPastTheEndIsTheTagsError();
    void writeMultipleBlocks_data();
    void writeMultipleBlocks();
    void systemInformation();
    void customEntriesRoundTrip();
    void addressedRequestToAbsentTag_data();
    void addressedRequestToAbsentTag();
    void airTimeFollowsTheExchange();
};

void TestResponder::getBaudGivesTheRateIndex_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<LineFrame>("frame");
    QTest::addColumn<int>("index");
    QTest::newRow("115200 8E1") << 115200 << LineFrame::E81 << 0;
    QTest::newRow("57600 8N1") << 57600 << LineFrame::N81 << 1;
    QTest::newRow("38400 8O1") << 38400 << LineFrame::O81 << 2;
    QTest::newRow("1200 8E1") << 1200 << LineFrame::E81 << 7;
}

void TestResponder::getBaudGivesTheRateIndex() {
    QFETCH(int, baud);
    QFETCH(LineFrame, frame);
    QFETCH(int, index);
    ReaderState state;
    state.line = RateAndFrame{baud, frame};
    state.address = 3;
    const auto exchange = emulator::respond(state, state.line, request(emulator::GetBaud));
    QVERIFY(exchange);
    QCOMPARE(exchange->reply.address, 3);
    QCOMPARE(exchange->reply.command, emulator::GetBaud);
    QCOMPARE(exchange->reply.status, 0x00);
    QCOMPARE(exchange->reply.data, Bytes{static_cast<std::uint8_t>(index)});
}

void TestResponder::silentWhenTheHostLineDiffers_data() {
    QTest::addColumn<int>("hostBaud");
    QTest::addColumn<LineFrame>("hostFrame");
    QTest::addColumn<int>("command");
    QTest::newRow("other rate, get baud") << 9600 << LineFrame::E81 << int(emulator::GetBaud);
    QTest::newRow("no parity, get baud") << 38400 << LineFrame::N81 << int(emulator::GetBaud);
    QTest::newRow("odd parity, get baud") << 38400 << LineFrame::O81 << int(emulator::GetBaud);
    QTest::newRow("unreadable rate") << 0 << LineFrame::E81 << int(emulator::GetBaud);
    QTest::newRow("other rate, RF reset") << 115200 << LineFrame::E81 << int(emulator::RfReset);
}

void TestResponder::silentWhenTheHostLineDiffers() {
    QFETCH(int, hostBaud);
    QFETCH(LineFrame, hostFrame);
    QFETCH(int, command);
    ReaderState state = readerWith({});
    state.fieldOn = false;
    QVERIFY(!emulator::respond(state, RateAndFrame{hostBaud, hostFrame},
                               request(static_cast<std::uint8_t>(command))));
    QVERIFY2(!state.fieldOn, "an unheard request must change nothing");
}

void TestResponder::answersBroadcastAndOwnAddressOnly_data() {
    QTest::addColumn<int>("requestAddress");
    QTest::addColumn<bool>("answered");
    QTest::newRow("broadcast") << 255 << true;
    QTest::newRow("own") << 7 << true;
    QTest::newRow("default address") << 0 << false;
    QTest::newRow("neighbour") << 8 << false;
}

void TestResponder::answersBroadcastAndOwnAddressOnly() {
    QFETCH(int, requestAddress);
    QFETCH(bool, answered);
    ReaderState state = readerWith({});
    state.address = 7;
    const auto exchange = emulator::respond(
        state, kOwnLine, request(emulator::GetBaud, {}, static_cast<std::uint8_t>(requestAddress)));
    QCOMPARE(exchange.has_value(), answered);
    if (exchange) {
        QCOMPARE(exchange->reply.address, 7);
    }
}

void TestResponder::fieldSwitchedOnIsReportedOnce() {
    ReaderState state = readerWith({makeTag("E004010012345678")});
    state.fieldOn = false;
    auto exchange = emulator::respond(state, kOwnLine, request(emulator::RfReset));
    QCOMPARE(exchange->reply.status, 0x84);
    QVERIFY(exchange->reply.data.empty());
    exchange = emulator::respond(state, kOwnLine, request(emulator::RfReset));
    QCOMPARE(exchange->reply.status, 0x00);

    // An ISO command finding the field off switches it on and says so, unless it has worse news.
    state.fieldOn = false;
    QCOMPARE(isoExchange(state, {0x01, 0x00}).status, 0x84);
    QCOMPARE(isoExchange(state, {0x01, 0x00}).status, 0x00);
    state.field.clear();
    state.fieldOn = false;
    QCOMPARE(isoExchange(state, {0x01, 0x00}).status, 0x83);
    QVERIFY(state.fieldOn);
}

void TestResponder::refusesMalformedRequests_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<Bytes>("data");
    const Bytes uid = kUidA;
    QTest::newRow("get baud with data") << int(emulator::GetBaud) << Bytes{0x00};
    QTest::newRow("ISO without request") << int(emulator::IsoCommand) << Bytes{};
    QTest::newRow("inventory with more") << int(emulator::IsoCommand) << Bytes{0x01, 0x00, 0x00};
    QTest::newRow("mode bits not ours") << int(emulator::IsoCommand) << Bytes{0x01, 0x02};
    QTest::newRow("UID cut short")
        << int(emulator::IsoCommand) << Bytes{0x2B, 0x00, 0x78, 0x56, 0x34};
    QTest::newRow("read of 0 blocks")
        << int(emulator::IsoCommand) << addressed(0x23, uid, {0x00, 0x00});
    QTest::newRow("read too long for a reply")
        << int(emulator::IsoCommand) << addressed(0x23, uid, {0x00, 51});
    QTest::newRow("write data short")
        << int(emulator::IsoCommand) << addressed(0x24, uid, {0x00, 0x02, 0x04, 1, 2, 3, 4});
    QTest::newRow("write other block size")
        << int(emulator::IsoCommand) << addressed(0x24, uid, {0x00, 0x01, 0x02, 1, 2});
    QTest::newRow("custom read of entry 4")
        << int(emulator::IsoCommand) << addressed(0xA0, uid, {0x04});
    QTest::newRow("custom write short")
        << int(emulator::IsoCommand) << addressed(0xA1, uid, {0x00, 1, 2, 3});
}

void TestResponder::refusesMalformedRequests() {
    QFETCH(int, command);
    QFETCH(Bytes, data);
    ReaderState state = readerWith({makeTag("E004010012345678")});
    const Bytes before = state.field[0].memory;
    const auto exchange =
        emulator::respond(state, kOwnLine, request(static_cast<std::uint8_t>(command), data));
    QVERIFY(exchange);
    QCOMPARE(exchange->reply.status, 0x02);
    QVERIFY(exchange->reply.data.empty());
    QCOMPARE(state.field[0].memory, before);
}

void TestResponder::unknownCommandsAreNamedSo() {
    ReaderState state = readerWith({makeTag("E004010012345678")});
    auto exchange = emulator::respond(state, kOwnLine, request(0x10));
    QVERIFY(exchange);
    QCOMPARE(exchange->reply.command, 0x10);
    QCOMPARE(exchange->reply.status, 0x01);
    QVERIFY(exchange->reply.data.empty());
    QCOMPARE(isoExchange(state, addressed(0x22, kUidA)).status, 0x01);
}

void TestResponder::inventory_data() {
    QTest::addColumn<QStringList>("placed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("listed");
    const QString a = "E004010012345678"; // slot 8
    const QString b = "E007000012A4C5F3"; // slot 3
    const QString c = "E0160800315E7F98"; // slot 8, like a
    QTest::newRow("none") << QStringList{} << 0 << 0x83 << QStringList{};
    QTest::newRow("none, one slot") << QStringList{} << 1 << 0x83 << QStringList{};
    QTest::newRow("one") << QStringList{a} << 0 << 0x00 << QStringList{a};
    QTest::newRow("one, one slot") << QStringList{a} << 1 << 0x00 << QStringList{a};
    QTest::newRow("two slots, listed by slot")
        << QStringList{a, b} << 0 << 0x00 << QStringList{b, a};
    QTest::newRow("same slot collides")
        << QStringList{a, b, c} << 0 << 0x93 << QStringList{b, a, c};
    QTest::newRow("one slot, all collide") << QStringList{a, b} << 1 << 0x93 << QStringList{a, b};
}

void TestResponder::inventory() {
    QFETCH(QStringList, placed);
    QFETCH(int, mode);
    QFETCH(int, status);
    QFETCH(QStringList, listed);
    std::vector<emulator::Transponder> field;
    for (const QString& uid : placed) {
        field.push_back(makeTag(uid.toLatin1().constData(), 0x01));
        field.back().dsfid = 0x5A;
    }
    ReaderState state = readerWith(field);
    const wire::Frame reply = isoExchange(state, {0x01, static_cast<std::uint8_t>(mode)});
    QCOMPARE(reply.status, status);
    Bytes expected{static_cast<std::uint8_t>(listed.size())};
    for (const QString& uid : listed) {
        expected.push_back(0x01);
        expected.push_back(0x5A);
        const Bytes air = airOrder(hex(uid.toLatin1().constData()));
        expected.insert(expected.end(), air.begin(), air.end());
    }
    QCOMPARE(reply.data, expected);
}

void TestResponder::inventoryListsAtMost25() {
    std::vector<emulator::Transponder> field;
    for (int serial = 0; serial < 30; ++serial) {
        field.push_back(makeTag(
            QString("E0040100000000%1").arg(serial, 2, 16, QChar('0')).toLatin1().constData()));
    }
    ReaderState state = readerWith(field);
    wire::Frame reply = isoExchange(state, {0x01, 0x00});
    QCOMPARE(reply.status, 0x94);
    QCOMPARE(reply.data.size(), std::size_t{1 + 25 * 10});
    QCOMPARE(reply.data[0], 25);

    state.field.resize(25);
    reply = isoExchange(state, {0x01, 0x00});
    QCOMPARE(reply.status, 0x93); // 25 in 16 slots cannot all go alone
    QCOMPARE(reply.data[0], 25);
}

void TestResponder::readMultipleBlocks_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("returned");
    QTest::newRow("first block") << 0 << 1 << false << 0x00 << 1;
    QTest::newRow("from block 2") << 2 << 3 << false << 0x00 << 3;
    QTest::newRow("last block, locked") << 7 << 1 << true << 0x00 << 1;
    QTest::newRow("past the end") << 6 << 4 << false << 0x90 << 2;
    QTest::newRow("the most a reply holds") << 0 << 50 << false << 0x90 << 8;
}

void TestResponder::readMultipleBlocks() {
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(bool, readOnly);
    QFETCH(int, status);
    QFETCH(int, returned);
    ReaderState state = readerWith({patternedTag(8)});
    state.field[0].readOnly = readOnly;
    const wire::Frame reply = isoExchange(
        state, addressed(0x23, kUidA,
                         {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(count)}));
    QCOMPARE(reply.status, status);
    Bytes expected{0x00, 0x04};
    for (int block = first; block < first + returned; ++block) {
        expected.push_back(readOnly ? 0x01 : 0x00);
        for (int byte = 0; byte < 4; ++byte) {
            expected.push_back(static_cast<std::uint8_t>(block * 4 + byte));
        }
    }
    QCOMPARE(reply.data, expected);
}

void TestResponder::readFromPastTheEndIsTheTagsError() {
    ReaderState state = readerWith({patternedTag(8)});
    const wire::Frame reply = isoExchange(state, addressed(0x23, kUidA, {0x08, 0x01}));
    QCOMPARE(reply.status, 0x95);
    QCOMPARE(reply.data, (Bytes{0x01, 0x10}));
}

void TestResponder::writeMultipleBlocks_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("status");
    QTest::addColumn<Bytes>("reply");
    QTest::addColumn<bool>("written");
    QTest::newRow("inside") << 3 << false << 0x00 << Bytes{0x00} << true;
    QTest::newRow("the last two") << 6 << false << 0x00 << Bytes{0x00} << true;
    QTest::newRow("reaching past the end") << 7 << false << 0x95 << Bytes{0x01, 0x10} << false;
    QTest::newRow("read-only") << 3 << true << 0x03 << Bytes{} << false;
}

void TestResponder::writeMultipleBlocks() {
    QFETCH(int, first);
    QFETCH(bool, readOnly);
    QFETCH(int, status);
    QFETCH(Bytes, reply);
    QFETCH(bool, written);
    ReaderState state = readerWith({patternedTag(8)});
    state.field[0].readOnly = readOnly;
    Bytes expected = state.field[0].memory;
    const Bytes data{0xA1, 0xA2, 0xA3, 0xA4, 0xB1, 0xB2, 0xB3, 0xB4};
    Bytes parameters{static_cast<std::uint8_t>(first), 0x02, 0x04};
    parameters.insert(parameters.end(), data.begin(), data.end());
    const wire::Frame answer = isoExchange(state, addressed(0x24, kUidA, parameters));
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.data, reply);
    if (written) {
        std::copy(data.begin(), data.end(), expected.begin() + first * 4);
    }
    QCOMPARE(state.field[0].memory, expected);
}

void TestResponder::systemInformation() {
    emulator::Transponder tag = makeTag("E007000012A4C5F6", 0x01, 64, 4);
    tag.dsfid = 0x11;
    tag.afi = 0x22;
    tag.icReference = 0x33;
    ReaderState state = readerWith({tag});
    const wire::Frame reply = isoExchange(state, addressed(0x2B, tag.uid));
    QCOMPARE(reply.status, 0x00);
    Bytes expected{0x00, 0x0F, 0xF6, 0xC5, 0xA4, 0x12, 0x00, 0x00,
                   0x07, 0xE0, 0x11, 0x22, 63,   3,    0x33};
    QCOMPARE(reply.data, expected);
}

void TestResponder::customEntriesRoundTrip() {
    ReaderState state = readerWith({makeTag("E004010012345678", 0x00, 28, 4)});
    QCOMPARE(isoExchange(state, addressed(0xA1, kUidA, {0x02, 9, 8, 7, 6})).data, Bytes{0x00});
    QCOMPARE(isoExchange(state, addressed(0xA0, kUidA, {0x02})).data, (Bytes{9, 8, 7, 6}));
    QCOMPARE(isoExchange(state, addressed(0xA0, kUidA, {0x03})).data, (Bytes{0, 0, 0, 0}));

    state.field[0].readOnly = true;
    const wire::Frame refused = isoExchange(state, addressed(0xA1, kUidA, {0x02, 1, 1, 1, 1}));
    QCOMPARE(refused.status, 0x03);
    QCOMPARE(isoExchange(state, addressed(0xA0, kUidA, {0x02})).data, (Bytes{9, 8, 7, 6}));
}

void TestResponder::addressedRequestToAbsentTag_data() {
    QTest::addColumn<Bytes>("isoRequest");
    const Bytes absent = hex("E004010012345679");
    QTest::newRow("read") << addressed(0x23, absent, {0x00, 0x01});
    QTest::newRow("write") << addressed(0x24, absent, {0x00, 0x01, 0x04, 1, 2, 3, 4});
    QTest::newRow("system information") << addressed(0x2B, absent);
    QTest::newRow("custom read") << addressed(0xA0, absent, {0x00});
    QTest::newRow("custom write") << addressed(0xA1, absent, {0x00, 1, 2, 3, 4});
}

void TestResponder::addressedRequestToAbsentTag() {
    QFETCH(Bytes, isoRequest);
    ReaderState state = readerWith({makeTag("E004010012345678")});
    const wire::Frame reply = isoExchange(state, isoRequest);
    QCOMPARE(reply.status, 0x83);
    QVERIFY(reply.data.empty());
}

void TestResponder::airTimeFollowsTheExchange() {
    const auto airOf = [](ReaderState& state, const Bytes& isoRequest) {
        return emulator::respond(state, kOwnLine, request(emulator::IsoCommand, isoRequest))
            ->airMicros;
    };
    ReaderState one = readerWith({patternedTag(28)});
    const auto singleSlot = airOf(one, {0x01, 0x01});
    const auto sixteenSlots = airOf(one, {0x01, 0x00});
    QVERIFY2(singleSlot > 5000 && singleSlot < 7000, "a single-slot round takes about 6 ms");
    QVERIFY2(sixteenSlots > 12000 && sixteenSlots < 16000, "16 slots take about 14 ms");

    ReaderState collided = readerWith({makeTag("E004010012345678"), makeTag("E004010012345698")});
    QVERIFY(airOf(collided, {0x01, 0x00}) > sixteenSlots + singleSlot);
}

QTEST_APPLESS_MAIN(TestResponder)
#include "test_responder.moc"
