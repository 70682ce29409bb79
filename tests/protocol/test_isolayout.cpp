#include "IsoLayout.h"

#include <QTest>

using iso::Bytes;

namespace {

const Bytes kHostUid{0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56, 0x78};
const Bytes kWireUid{0x78, 0x56, 0x34, 0x12, 0x00, 0x01, 0x04, 0xE0};

Bytes operator+(Bytes left, const Bytes& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

Bytes hostUid(int index) {
    return {0xE0, 0x04, 0x01, 0x00, 0x00, 0x00, std::uint8_t(index >> 8), std::uint8_t(index)};
}

// [count] then per transponder [type][DSFID][UID]
Bytes inventoryData(int count, bool hostOrder) {
    Bytes reply{std::uint8_t(count)};
    for (int i = 0; i < count; ++i) {
        const Bytes uid = hostOrder ? hostUid(i) : iso::uidToWire(hostUid(i));
        reply = reply + Bytes{std::uint8_t(i % 4), std::uint8_t(0x40 + i)} + uid;
    }
    return reply;
}

Bytes systemInformation(const Bytes& uid) {
    return Bytes{0x00, 0x0F} + uid + Bytes{0x01, 0x02, 0x1B, 0x03, 0x01};
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

class TestIsoLayout : public QObject {
    Q_OBJECT

private slots:
    void addressedRequestTurnsUid_data() {
        QTest::addColumn<Bytes>("parameters");
        QTest::addColumn<int>("code");
        QTest::newRow("read multiple blocks") << Bytes{0x00, 0x04} << int(iso::ReadMultipleBlocks);
        QTest::newRow("write multiple blocks")
            << Bytes{0x01, 0x01, 0x04, 0xDE, 0xAD, 0xBE, 0xEF} << int(iso::WriteMultipleBlocks);
        QTest::newRow("get system information") << Bytes{} << int(iso::GetSystemInformation);
        QTest::newRow("custom read") << Bytes{0x02} << int(iso::CustomRead);
        QTest::newRow("custom write")
            << Bytes{0x03, 0x11, 0x22, 0x33, 0x44} << int(iso::CustomWrite);
    }
    void addressedRequestTurnsUid() {
        QFETCH(Bytes, parameters);
        QFETCH(int, code);
        const Bytes header{std::uint8_t(code), 0x00};
        const auto wire = iso::hostRequestToWire(header + kHostUid + parameters);
        QVERIFY(wire);
        QCOMPARE(*wire, header + kWireUid + parameters);
    }

    void inventoryRequestPassesUnchanged() {
        const Bytes request{iso::Inventory, 0x01};
        QCOMPARE(iso::hostRequestToWire(request), std::optional<Bytes>(request));
    }

    void rejectedRequests_data() {
        QTest::addColumn<Bytes>("request");
        QTest::newRow("empty") << Bytes{};
        QTest::newRow("inventory without mode") << Bytes{iso::Inventory};
        QTest::newRow("read without count")
            << Bytes{iso::ReadMultipleBlocks, 0} + kHostUid + Bytes{0};
        QTest::newRow("write without block size")
            << Bytes{iso::WriteMultipleBlocks, 0} + kHostUid + Bytes{0, 1};
        QTest::newRow("system information, short UID")
            << Bytes{iso::GetSystemInformation, 0, 0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56};
        QTest::newRow("custom read without entry") << Bytes{iso::CustomRead, 0} + kHostUid;
        QTest::newRow("custom write without entry") << Bytes{iso::CustomWrite, 0} + kHostUid;
        QTest::newRow("unknown code 0x00") << Bytes{0x00, 0x00} + kHostUid + Bytes{0, 0, 0};
        QTest::newRow("unknown code 0x22") << Bytes{0x22, 0x00} + kHostUid + Bytes{0, 0, 0};
        QTest::newRow("unknown code 0xFF") << Bytes{0xFF, 0x00} + kHostUid + Bytes{0, 0, 0};
    }
    void rejectedRequests() {
        QFETCH(Bytes, request);
        QVERIFY(!iso::hostRequestToWire(request));
    }

    void inventoryReply_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("three") << 3;
        QTest::newRow("the most a reply holds") << 25;
    }
    void inventoryReply() {
        QFETCH(int, count);
        const auto host = iso::wireReplyToHost(iso::Inventory, inventoryData(count, false));
        QVERIFY(host);
        QCOMPARE(host->size(), std::size_t(1 + 10 * count));
        QCOMPARE(*host, inventoryData(count, true));
    }

    void malformedReplies_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<Bytes>("reply");
        QTest::newRow("inventory, empty") << int(iso::Inventory) << Bytes{};
        Bytes countTooHigh = inventoryData(1, false);
        countTooHigh[0] = 2;
        QTest::newRow("inventory count the bytes do not hold")
            << int(iso::Inventory) << countTooHigh;
        Bytes cut = inventoryData(3, false);
        cut.pop_back();
        QTest::newRow("inventory cut in a serial number") << int(iso::Inventory) << cut;
        QTest::newRow("inventory, bytes past the count")
            << int(iso::Inventory) << inventoryData(1, false) + Bytes{0x00};
        Bytes twentySix = inventoryData(25, false);
        twentySix[0] = 26;
        QTest::newRow("inventory count above 25") << int(iso::Inventory) << twentySix;
        Bytes shortInformation = systemInformation(kWireUid);
        shortInformation.pop_back();
        QTest::newRow("system information, short")
            << int(iso::GetSystemInformation) << shortInformation;
        QTest::newRow("system information, long")
            << int(iso::GetSystemInformation) << systemInformation(kWireUid) + Bytes{0};
        QTest::newRow("read, blocks cut short")
            << int(iso::ReadMultipleBlocks) << Bytes{0x00, 0x04, 0x00, 1, 2, 3, 4, 0x00, 5, 6, 7};
        QTest::newRow("read, flags alone") << int(iso::ReadMultipleBlocks) << Bytes{0x00};
        QTest::newRow("write, two bytes without error flag")
            << int(iso::WriteMultipleBlocks) << Bytes{0x00, 0x00};
        QTest::newRow("custom write, three bytes") << int(iso::CustomWrite) << Bytes{0x01, 0x0F, 0};
        QTest::newRow("over 256 bytes") << int(iso::CustomRead) << Bytes(257, 0x00);
        QTest::newRow("unknown code 0x00") << 0x00 << Bytes{0x00};
        QTest::newRow("unknown code 0x52") << 0x52 << Bytes{0x00};
    }
    void malformedReplies() {
        QFETCH(int, command);
        QFETCH(Bytes, reply);
        QVERIFY(!iso::wireReplyToHost(std::uint8_t(command), reply));
    }

    void systemInformationTurnsUid() {
        const auto host =
            iso::wireReplyToHost(iso::GetSystemInformation, systemInformation(kWireUid));
        QVERIFY(host);
        QCOMPARE(*host, systemInformation(kHostUid));
        QCOMPARE(host->size(), std::size_t(15));
    }

    // Replies without serial numbers, and the no-data and error forms, pass as they came.
    void repliesPassUnchanged_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<Bytes>("reply");
        QTest::newRow("read two blocks of 4")
            << int(iso::ReadMultipleBlocks)
            << Bytes{0x00, 0x04, 0x00, 1, 2, 3, 4, 0x01, 5, 6, 7, 8};
        QTest::newRow("read, block size 0")
            << int(iso::ReadMultipleBlocks) << Bytes{0x00, 0x00, 0x00};
        QTest::newRow("read, no blocks") << int(iso::ReadMultipleBlocks) << Bytes{0x00, 0x04};
        QTest::newRow("read, transponder error")
            << int(iso::ReadMultipleBlocks) << Bytes{0x01, 0x0F};
        QTest::newRow("read, no transponder") << int(iso::ReadMultipleBlocks) << Bytes{};
        QTest::newRow("write, flags") << int(iso::WriteMultipleBlocks) << Bytes{0x00};
        QTest::newRow("write, transponder error")
            << int(iso::WriteMultipleBlocks) << Bytes{0x01, 0x12};
        QTest::newRow("custom write, flags") << int(iso::CustomWrite) << Bytes{0x00};
        QTest::newRow("custom read, a block") << int(iso::CustomRead) << Bytes{9, 8, 7, 6};
        QTest::newRow("custom read, 256 bytes") << int(iso::CustomRead) << Bytes(256, 0xA5);
        QTest::newRow("system information, transponder error")
            << int(iso::GetSystemInformation) << Bytes{0x01, 0x0F};
        QTest::newRow("system information, no transponder")
            << int(iso::GetSystemInformation) << Bytes{};
    }
    void repliesPassUnchanged() {
        QFETCH(int, command);
        QFETCH(Bytes, reply);
        QCOMPARE(iso::wireReplyToHost(std::uint8_t(command), reply), std::optional<Bytes>(reply));
    }

    void uidTurnsBothWays() {
        QCOMPARE(iso::uidToWire(kHostUid), kWireUid);
        QCOMPARE(iso::uidFromWire(kWireUid), kHostUid);
    }

    void statusesWithReply_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("hasReply");
        for (int status : {0x00, 0x83, 0x84, 0x90, 0x93, 0x94, 0x95})
            QTest::addRow("0x%02X", status) << status << true;
        for (int status : {0x01, 0x02, 0x03, 0x80, 0x92, 0xFF})
            QTest::addRow("0x%02X", status) << status << false;
    }
    void statusesWithReply() {
        QFETCH(int, status);
        QFETCH(bool, hasReply);
        QCOMPARE(ZQKRT_StatusCarriesReply(status) != 0, hasReply);
    }
};

QTEST_APPLESS_MAIN(TestIsoLayout)
#include "test_isolayout.moc"
