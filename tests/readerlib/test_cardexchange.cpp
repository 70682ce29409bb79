#include "CardExchange.h"
#include "CardScript.h"
#include "IsoLayout.h"
#include "ReplyResult.h"
#include "zqkrt.h"

#include <QTest>
#include <array>

namespace {

constexpr const char* kUid = "E004010012345678";
constexpr const char* kGetData = "FFCA000000=78563412000104E0 9000;";
constexpr const char* kOtherCard = "FFCA000000=F6C5A412000007E0 9000;";

struct Result {
    int status = 0;
    QString reply;
};

// What ZQKRT_0xB0_ISOCmd gives for a host request when its reader is a PC/SC port.
Result isoCommand(const wire::Bytes& hostRequest, zqcom_internal::CardChannel& card,
                  const zqkrt_internal::FrameTrace& trace = {}) {
    wire::Frame request;
    request.command = 0xB0;
    request.data = iso::hostRequestToWire(hostRequest).value_or(hostRequest);
    wire::Frame reply;
    const std::int32_t status = zqkrt_internal::exchangeWithCard(
        card, zqcom_internal::PortParameters{}, request, reply, trace);
    if (status != ZQKRT_OK) {
        return {status, {}};
    }
    std::array<std::uint8_t, ZQKRT_RESPONSE_BUFFER_SIZE> response{};
    std::int32_t length = 0;
    const std::uint8_t code = hostRequest.empty() ? 0 : hostRequest.front();
    const std::int32_t result =
        zqkrt_internal::isoCommandResult(code, reply, response.data(), length);
    return {result, hexText(wire::Bytes(response.begin(), response.begin() + length))};
}

} // namespace

class TestCardExchange : public QObject {
    Q_OBJECT

private slots:
    void isoCommands_data();
    void isoCommands();
    void readerCommands_data();
    void readerCommands();
    void apdusAreLoggedAndTimeOutIsThePorts();
};

void TestCardExchange::isoCommands_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reply");

    const QString uid(kUid);
    const QString getData(kGetData);
    const QString read = "23 00" + uid;
    const QString write = "24 00" + uid;
    // Inventory: the type follows the manufacturer code as the serial reader's does.
    QTest::newRow("inventory, I-Code") << "0100" << getData << 0 << "010000" + uid;
    QTest::newRow("inventory, Tag-it") << "0100" << kOtherCard << 0 << "010100E007000012A4C5F6";
    QTest::newRow("inventory, other maker")
        << "0101"
        << "FFCA000000=3D2C1B0A000816E09000" << 0 << "010300E01608000A1B2C3D";
    QTest::newRow("inventory, no card") << "0100"
                                        << "c:NOCARD" << 0x83 << "00";
    QTest::newRow("inventory, mute card") << "0100"
                                          << "c:MUTE" << 0x83 << "00";
    QTest::newRow("inventory, card put down since the last one")
        << "0100"
        << "FFCA000000!REMOVED;" + getData << 0 << "010000" + uid;
    QTest::newRow("inventory, card taken away")
        << "0100"
        << "c:OK;FFCA000000!REMOVED;c:NOCARD" << 0x83 << "00";
    QTest::newRow("inventory, short serial number") << "0100"
                                                    << "FFCA000000=04A1B2C3 9000" << 0x83 << "00";
    QTest::newRow("inventory, serial number not ISO 15693")
        << "0100"
        << "FFCA000000=7856341200010400 9000" << 0x83 << "00";
    QTest::newRow("inventory, reader without Get Data") << "0100"
                                                        << "FFCA000000=6D00" << 0x01 << "";
    QTest::newRow("inventory, answer without status word")
        << "0100"
        << "FFCA000000=90" << int(ZQKRT_ERR_FRAMING) << "";
    QTest::newRow("inventory, service stopped")
        << "0100"
        << "c:NOSERVICE" << int(ZQKRT_ERR_WRITE_FAILED) << "";
    QTest::newRow("inventory, reader unplugged")
        << "0100"
        << "FFCA000000!UNAVAILABLE" << int(ZQKRT_ERR_WRITE_FAILED) << "";
    QTest::newRow("inventory, time-out") << "0100"
                                         << "c:TIMEOUT" << int(ZQKRT_ERR_TIMEOUT) << "";
    QTest::newRow("inventory, unknown mode bits") << "0102"
                                                  << "" << 0x02 << "";
    QTest::newRow("inventory, extra bytes") << "010000"
                                            << "" << 0x02 << "";

    QTest::newRow("read two blocks")
        << read + "0302" << getData + "FFB0000300=01020304 9000;FFB0000400=05060708 9000" << 0
        << "000400010203040005060708";
    QTest::newRow("read, the card asks for the block length")
        << read + "0301" << getData + "FFB0000300=6C04;FFB0000304=01020304 9000" << 0
        << "00040001020304";
    QTest::newRow("read past the end")
        << read + "1B03" << getData + "FFB0001B00=0A0B0C0D 9000;FFB0001C00=6A82" << 0x90
        << "0004000A0B0C0D";
    QTest::newRow("read from past the end")
        << read + "1C01" << getData + "FFB0001C00=6A82" << 0x95 << "0110";
    QTest::newRow("read stops at block 255")
        << read + "FF02" << getData + "FFB000FF00=0A0B0C0D 9000" << 0x90 << "0004000A0B0C0D";
    QTest::newRow("read, another transponder presented")
        << read + "0001" << kOtherCard << 0x83 << "";
    QTest::newRow("read, no card") << read + "0001"
                                   << "c:NOCARD" << 0x83 << "";
    QTest::newRow("read, blocks of two sizes")
        << read + "0002" << getData + "FFB0000000=01020304 9000;FFB0000100=0102030405060708 9000"
        << int(ZQKRT_ERR_FRAMING) << "";
    QTest::newRow("read, block longer than a transponder's")
        << read + "0001" << getData + "FFB0000000=" + QString(66, '0') + "9000"
        << int(ZQKRT_ERR_FRAMING) << "";
    QTest::newRow("read, more blocks than a reply holds")
        << read + "0033" << getData + "FFB0000000=01020304 9000" << 0x02 << "";
    QTest::newRow("read, no blocks") << read + "0000"
                                     << "" << 0x02 << "";
    QTest::newRow("read, short request") << "2300E0040100"
                                         << "" << 0x02 << "";
    QTest::newRow("read, card taken away midway")
        << read + "0301" << getData + "FFB0000300!REMOVED" << 0x83 << "";
    QTest::newRow("read, access refused")
        << read + "0301" << getData + "FFB0000300=6982" << 0x95 << "010F";

    QTest::newRow("write two blocks")
        << write + "050204 11223344 55667788"
        << getData + "FFD6000504 11223344=9000;FFD6000604 55667788=9000" << 0 << "00";
    QTest::newRow("write, read-only")
        << write + "050104 11223344" << getData + "FFD6000504 11223344=6982" << 0x03 << "";
    QTest::newRow("write past the end") << write + "FF0204 11223344 55667788"
                                        << getData + "FFD600FF04 11223344=9000" << 0x95 << "0110";
    QTest::newRow("write, data not of the block count") << write + "050204 11223344"
                                                        << "" << 0x02 << "";
    QTest::newRow("write, another transponder presented")
        << write + "050104 11223344" << kOtherCard << 0x83 << "";
    QTest::newRow("write, service stopped midway")
        << write + "050104 11223344" << getData + "FFD6000504 11223344!NOSERVICE"
        << int(ZQKRT_ERR_WRITE_FAILED) << "";

    // No storage-card counterpart.
    QTest::newRow("system information") << "2B00" + uid << "" << 0x01 << "";
    QTest::newRow("custom read") << "A000" + uid + "00"
                                 << "" << 0x01 << "";
    QTest::newRow("unknown code") << "5500"
                                  << "" << 0x01 << "";
    QTest::newRow("empty request") << ""
                                   << "" << 0x02 << "";
}

void TestCardExchange::isoCommands() {
    QFETCH(QString, request);
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, reply);

    ScriptedCard card(script);
    const Result result = isoCommand(hexBytes(request), card);
    QCOMPARE(result.status, status);
    QCOMPARE(result.reply, reply);
    QVERIFY2(card.finished(), qPrintable(card.unexpected.join(", ")));
}

void TestCardExchange::readerCommands_data() {
    QTest::addColumn<QString>("readerCode");
    QTest::addColumn<int>("status");

    QTest::newRow("reader there") << "OK" << 0;
    QTest::newRow("reader unplugged") << "UNAVAILABLE" << int(ZQKRT_ERR_WRITE_FAILED);
    QTest::newRow("service stopped") << "NOSERVICE" << int(ZQKRT_ERR_WRITE_FAILED);
    QTest::newRow("service slow") << "TIMEOUT" << int(ZQKRT_ERR_TIMEOUT);
}

void TestCardExchange::readerCommands() {
    QFETCH(QString, readerCode);
    QFETCH(int, status);

    for (const std::uint8_t command : {0x52, 0x69}) {
        ScriptedCard card("", ScriptedCard::code(readerCode));
        wire::Frame request;
        request.command = command;
        wire::Frame reply;
        std::int32_t result = zqkrt_internal::exchangeWithCard(
            card, zqcom_internal::PortParameters{}, request, reply, {});
        if (result == ZQKRT_OK) {
            result = command == 0x52 ? zqkrt_internal::getBaudResult(reply)
                                     : zqkrt_internal::rfResetResult(reply);
        }
        QCOMPARE(result, status);
        // The RF reset ends the card connection whatever the reader answers.
        QCOMPARE(card.releases, command == 0x69 ? 1 : 0);
    }
}

void TestCardExchange::apdusAreLoggedAndTimeOutIsThePorts() {
    ScriptedCard card(kGetData);
    QStringList log;
    const zqkrt_internal::FrameTrace trace = [&log](zqkrt_internal::FrameDirection direction,
                                                    const wire::Bytes& bytes) {
        log << QString::fromStdString(zqkrt_internal::protocolLogLine(direction, bytes));
    };
    wire::Frame request;
    request.command = 0xB0;
    request.data = hexBytes("0100");
    zqcom_internal::PortParameters parameters;
    parameters.timeOutMs = 1234;
    wire::Frame reply;
    QCOMPARE(zqkrt_internal::exchangeWithCard(card, parameters, request, reply, trace), ZQKRT_OK);
    QCOMPARE(log, QStringList({"-> FF CA 00 00 00", "<- 78 56 34 12 00 01 04 E0 90 00"}));
    QCOMPARE(card.lastTimeout, std::chrono::milliseconds(1234));
}

QTEST_GUILESS_MAIN(TestCardExchange)
#include "test_cardexchange.moc"
