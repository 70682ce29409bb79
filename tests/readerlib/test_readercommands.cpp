#include "LineTiming.h"
#include "ReaderEmulatorProcess.h"
#include "WireFrame.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(Bytes)

namespace {

constexpr int32_t kBroadcast = 255;
constexpr std::uint8_t kStatusNoTransponder = 0x83;
constexpr int kTimeOutMs = 200;

struct IsoReply {
    int32_t status = 0;
    Bytes data;
    bool wroteBeyondReply = false; // the response buffer changed past the reply's length
};

Bytes bytesOf(const char* hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    return Bytes(raw.begin(), raw.end());
}

QString hexOf(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper();
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

IsoReply iso(int32_t reader, const Bytes& request, int32_t address = kBroadcast) {
    IsoReply reply;
    std::uint8_t response[ZQKRT_RESPONSE_BUFFER_SIZE];
    std::fill(std::begin(response), std::end(response), 0xCC);
    int32_t length = -1;
    const std::uint8_t nothing = 0; // an empty vector may give no pointer at all
    reply.status = ZQKRT_0xB0_ISOCmd(reader, address, request.empty() ? &nothing : request.data(),
                                     static_cast<int32_t>(request.size()), response, &length, 0);
    if (length >= 0 && length <= ZQKRT_RESPONSE_BUFFER_SIZE) {
        reply.data.assign(response, response + length);
        reply.wroteBeyondReply = std::any_of(response + length, std::end(response),
                                             [](std::uint8_t byte) { return byte != 0xCC; });
    }
    return reply;
}

// The serial numbers of an inventory reply, host order.
std::set<QString> inventoryUids(const Bytes& reply) {
    std::set<QString> uids;
    for (std::size_t at = 1; at + 10 <= reply.size(); at += 10) {
        uids.insert(hexOf(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(at + 2),
                                reply.begin() + static_cast<std::ptrdiff_t>(at + 10))));
    }
    return uids;
}

std::string takeLog(int32_t reader) {
    std::vector<char> text(ZQKRT_RESPONSE_BUFFER_SIZE * 16);
    const int32_t taken = ZQKRT_ReadProtocolLog(reader, text.data(), text.size());
    return taken >= 0 ? std::string(text.data(), static_cast<std::size_t>(taken))
                      : "status " + std::to_string(taken);
}

std::string frameLine(const char* mark, wire::FrameKind kind, const wire::Frame& frame) {
    const std::optional<wire::Bytes> bytes = wire::encode(kind, frame);
    std::string line = mark;
    for (const std::uint8_t byte : bytes.value_or(wire::Bytes{})) {
        line += ' ' + QString::asprintf("%02X", byte).toStdString();
    }
    return line + '\n';
}

// How long a command waits for a reply on a fresh port at 38400 8E1 with TimeOut timeOutMs.
int replyTimeoutMs(std::size_t requestData, int timeOutMs) {
    return wire::replyTimeoutMs(requestData + 6, 38400, wire::bitsPerCharacter(true, 1), timeOutMs);
}

} // namespace

class TestReaderCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void rfResetSwitchesTheFieldOn();
    void getBaudAnswersOnlyAtTheReadersAddress();
    void inventoryListsTheField_data();
    void inventoryListsTheField();
    void addressedCommandsUseHostSerialNumbers();
    void readerRefusals_data();
    void readerRefusals();
    void badArguments_data();
    void badArguments();
    void readerWithoutPort();
    void faultsEndInTheirStatus_data();
    void faultsEndInTheirStatus();
    void protocolLogShowsEachFrame();
    void rateAndFrameMustMatchTheReader();
    void callsFromSeveralThreads();
    void txTimeControlKeepsTheLineQuiet_data();
    void txTimeControlKeepsTheLineQuiet();
    void silentWaitEndsOnCancelOrHangup();
    // Last: the late reply may still come after it.
    void slowReplyBeyondTheTimeOut();

private:
    void placeTags(const QStringList& uids);
    void setPort(const char* name, const char* value);
    void openAndBind();
    int quietBeforeLastRequestMs();
    // Runs a get-baud in another thread, calls interrupt once its request is on the line and
    // gives its status; fails when it took as long as a reply time-out.
    int32_t interruptedGetBaud(const std::function<void()>& interrupt);

    QString previousDirectory_;
    QTemporaryDir directory_;
    ReaderEmulatorProcess emulator_;
    int32_t port_ = 0;
    int32_t reader_ = 0;
};

void TestReaderCommands::initTestCase() {
    QVERIFY(directory_.isValid());
    QString error;
    QVERIFY2(emulator_.start(QCoreApplication::applicationDirPath() + "/reader-emulator",
                             directory_.path(), {"--no-delays"}, error),
             qPrintable(error));
    previousDirectory_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(directory_.path()));
    reader_ = ZQKRT_NewReader(0);
    QVERIFY(reader_ > 0);
    openAndBind();
}

void TestReaderCommands::cleanupTestCase() {
    ZQCOM_ClosePort(port_);
    emulator_.stop();
    QDir::setCurrent(previousDirectory_);
}

void TestReaderCommands::init() {
    QVERIFY(emulator_.command("fault none"));
    QVERIFY(emulator_.command("clear"));
    setPort("TimeOut", "200");
    setPort("TxTimeControl", "1");
    setPort("TxDelayTime", "5");
}

void TestReaderCommands::openAndBind() {
    port_ = ZQCOM_OpenPort("1");
    QVERIFY2(port_ > 0, qPrintable(QString::number(port_)));
    QCOMPARE(ZQKRT_SetReaderPara(reader_, "PortHnd", std::to_string(port_).c_str()), ZQKRT_OK);
    setPort("TimeOut", "200");
}

void TestReaderCommands::placeTags(const QStringList& uids) {
    for (const QString& uid : uids) {
        QVERIFY2(emulator_.command("place " + uid), qPrintable(uid));
    }
}

void TestReaderCommands::setPort(const char* name, const char* value) {
    QCOMPARE(ZQCOM_SetPortPara(port_, name, value), ZQCOM_OK);
}

// What the emulator saw: -1 when it does not say.
int TestReaderCommands::quietBeforeLastRequestMs() {
    for (const QString& line : emulator_.control("status")) {
        if (line.startsWith("quiet ")) {
            bool number = false;
            const int ms = line.mid(6).toInt(&number);
            return number ? ms : -1;
        }
    }
    return -1;
}

void TestReaderCommands::rfResetSwitchesTheFieldOn() {
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0x84);
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0x00);
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, 0), 0x00);
}

void TestReaderCommands::getBaudAnswersOnlyAtTheReadersAddress() {
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, 0), 0);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, 7), int32_t{ZQKRT_ERR_TIMEOUT});
    QVERIFY(emulator_.command("address 7"));
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, 7), 0);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, 0), int32_t{ZQKRT_ERR_TIMEOUT});
    QVERIFY(emulator_.command("address 0"));
}

void TestReaderCommands::inventoryListsTheField_data() {
    QTest::addColumn<QStringList>("uids");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("listed");

    QStringList many;
    for (int i = 0; i < 27; ++i) {
        many << QString("E00401000000%1").arg(i * 17 + 3, 4, 16, QChar('0')).toUpper();
    }
    const QStringList apart{"E004010012345671", "E007000000ABCD12", "E016123456789AB3"};
    QTest::newRow("empty field") << QStringList() << 0 << int(kStatusNoTransponder) << 0;
    QTest::newRow("one tag") << QStringList{"E004010012345678"} << 0 << 0 << 1;
    QTest::newRow("three in their own slots") << apart << 0 << 0 << 3;
    QTest::newRow("two in one slot")
        << QStringList{"E004010000000015", "E0040100000000A5"} << 0 << 0x93 << 2;
    QTest::newRow("three in a single slot") << apart << 1 << 0x93 << 3;
    QTest::newRow("more than the reply holds") << many << 0 << 0x94 << 25;
}

void TestReaderCommands::inventoryListsTheField() {
    QFETCH(QStringList, uids);
    QFETCH(int, mode);
    QFETCH(int, status);
    QFETCH(int, listed);
    placeTags(uids);
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0);

    const IsoReply reply = iso(reader_, {0x01, static_cast<std::uint8_t>(mode)});
    QCOMPARE(reply.status, status);
    QVERIFY(!reply.wroteBeyondReply);
    QCOMPARE(reply.data.size(), std::size_t(1 + 10 * listed));
    QCOMPARE(int(reply.data[0]), listed);
    const std::set<QString> found = inventoryUids(reply.data);
    QCOMPARE(found.size(), std::size_t(listed));
    const std::set<QString> placed(uids.begin(), uids.end());
    QVERIFY(std::includes(placed.begin(), placed.end(), found.begin(), found.end()));
}

void TestReaderCommands::addressedCommandsUseHostSerialNumbers() {
    const char* uidText = "E004010012345678";
    const Bytes uid = bytesOf(uidText);
    QVERIFY(emulator_.command(QString("place %1 01 28 4").arg(uidText)));
    QVERIFY(emulator_.command(QString("block %1 3 11223344").arg(uidText)));

    IsoReply reply = iso(reader_, concat({{0x23, 0x00}, uid, {3, 2}}));
    QCOMPARE(reply.status, 0);
    QCOMPARE(hexOf(reply.data), QString("0004"
                                        "0011223344"
                                        "0000000000"));

    reply = iso(reader_, concat({{0x24, 0x00}, uid, {27, 1, 4, 0xAA, 0xBB, 0xCC, 0xDD}}));
    QCOMPARE(reply.status, 0);
    QCOMPARE(hexOf(reply.data), QString("00"));
    reply = iso(reader_, concat({{0x23, 0x00}, uid, {26, 4}}));
    QCOMPARE(reply.status, 0x90); // blocks 28 and 29 do not exist
    QCOMPARE(hexOf(reply.data), QString("0004"
                                        "0000000000"
                                        "00AABBCCDD"));

    reply = iso(reader_, concat({{0x2B, 0x00}, uid}));
    QCOMPARE(reply.status, 0);
    QCOMPARE(reply.data.size(), std::size_t{15});
    QCOMPARE(hexOf(Bytes(reply.data.begin() + 2, reply.data.begin() + 10)), QString(uidText));
    QCOMPARE(int(reply.data[12]), 27);
    QCOMPARE(int(reply.data[13]), 3);

    reply = iso(reader_, concat({{0xA1, 0x00}, uid, {2, 0x01, 0x02, 0x03, 0x04}}));
    QCOMPARE(reply.status, 0);
    reply = iso(reader_, concat({{0xA0, 0x00}, uid, {2}}));
    QCOMPARE(reply.status, 0);
    QCOMPARE(hexOf(reply.data), QString("01020304"));

    QVERIFY(emulator_.command(QString("readonly %1 on").arg(uidText)));
    reply = iso(reader_, concat({{0x24, 0x00}, uid, {0, 1, 4, 1, 2, 3, 4}}));
    QCOMPARE(reply.status, 0x03);
    QVERIFY(reply.data.empty());

    reply = iso(reader_, concat({{0x2B, 0x00}, bytesOf("E004010012345679")}));
    QCOMPARE(reply.status, int(kStatusNoTransponder));
    QVERIFY(reply.data.empty());
}

void TestReaderCommands::readerRefusals_data() {
    QTest::addColumn<Bytes>("request");
    QTest::addColumn<int>("status");

    QTest::newRow("unknown code") << Bytes{0x22, 0x00, 1, 2, 3, 4, 5, 6, 7, 8} << 0x01;
    QTest::newRow("empty request") << Bytes{} << 0x02;
    QTest::newRow("serial number cut short") << Bytes{0x2B, 0x00, 0xE0, 0x04} << 0x02;
}

void TestReaderCommands::readerRefusals() {
    QFETCH(Bytes, request);
    QFETCH(int, status);
    const IsoReply reply = iso(reader_, request);
    QCOMPARE(reply.status, status);
    QVERIFY(reply.data.empty());
}

void TestReaderCommands::badArguments_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("nullRequest");
    QTest::addColumn<bool>("nullResponse");
    QTest::addColumn<bool>("nullLength");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("reserved");

    QTest::newRow("address below") << -1 << false << false << false << 2 << 0;
    QTest::newRow("address above") << 256 << false << false << false << 2 << 0;
    QTest::newRow("no request") << 255 << true << false << false << 2 << 0;
    QTest::newRow("no response") << 255 << false << true << false << 2 << 0;
    QTest::newRow("no length") << 255 << false << false << true << 2 << 0;
    QTest::newRow("negative length") << 255 << false << false << false << -1 << 0;
    QTest::newRow("request too long")
        << 255 << false << false << false << ZQKRT_MAX_REQUEST_LENGTH + 1 << 0;
    QTest::newRow("reserved") << 255 << false << false << false << 2 << 1;
}

void TestReaderCommands::badArguments() {
    QFETCH(int, address);
    QFETCH(bool, nullRequest);
    QFETCH(bool, nullResponse);
    QFETCH(bool, nullLength);
    QFETCH(int, length);
    QFETCH(int, reserved);
    std::vector<std::uint8_t> request(ZQKRT_MAX_REQUEST_LENGTH + 1, 0x00);
    request[0] = 0x01;
    std::uint8_t response[ZQKRT_RESPONSE_BUFFER_SIZE];
    int32_t responseLength = 77;
    QCOMPARE(ZQKRT_0xB0_ISOCmd(reader_, address, nullRequest ? nullptr : request.data(), length,
                               nullResponse ? nullptr : response,
                               nullLength ? nullptr : &responseLength, reserved),
             int32_t{ZQKRT_ERR_BAD_ARGUMENT});
    QCOMPARE(responseLength, nullLength ? 77 : 0);
    if (address != 255) {
        QCOMPARE(ZQKRT_0x52_GetBaud(reader_, address), int32_t{ZQKRT_ERR_BAD_ARGUMENT});
        QCOMPARE(ZQKRT_0x69_RFReset(reader_, address), int32_t{ZQKRT_ERR_BAD_ARGUMENT});
    }
}

void TestReaderCommands::readerWithoutPort() {
    const int32_t unbound = ZQKRT_NewReader(0);
    QVERIFY(unbound > 0);
    const Bytes inventory{0x01, 0x00};
    QCOMPARE(ZQKRT_0x52_GetBaud(unbound, kBroadcast), int32_t{ZQKRT_ERR_PORT_NOT_OPEN});
    QCOMPARE(ZQKRT_0x69_RFReset(unbound, kBroadcast), int32_t{ZQKRT_ERR_PORT_NOT_OPEN});
    QCOMPARE(iso(unbound, inventory).status, int32_t{ZQKRT_ERR_PORT_NOT_OPEN});
    const int32_t missing = unbound + 1000;
    QCOMPARE(ZQKRT_0x52_GetBaud(missing, kBroadcast), int32_t{ZQKRT_ERR_BAD_HANDLE});
    QCOMPARE(iso(missing, inventory).status, int32_t{ZQKRT_ERR_BAD_HANDLE});
    char text[16];
    QCOMPARE(ZQKRT_ReadProtocolLog(missing, text, sizeof text), int32_t{ZQKRT_ERR_BAD_HANDLE});
    QCOMPARE(ZQKRT_ReadProtocolLog(unbound, nullptr, 16), int32_t{ZQKRT_ERR_BAD_ARGUMENT});
}

void TestReaderCommands::faultsEndInTheirStatus_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<int>("status");

    QTest::newRow("silence") << "silence" << kTimeOutMs << int(ZQKRT_ERR_TIMEOUT);
    QTest::newRow("garbage") << "garbage" << kTimeOutMs << int(ZQKRT_ERR_TIMEOUT);
    QTest::newRow("noise") << "noise" << kTimeOutMs << 0;
    QTest::newRow("badcrc") << "badcrc" << kTimeOutMs << int(ZQKRT_ERR_CRC);
    QTest::newRow("short") << "short" << kTimeOutMs << int(ZQKRT_ERR_FRAMING);
    QTest::newRow("slow within the time-out") << "slow 100" << 5000 << 0;
}

void TestReaderCommands::faultsEndInTheirStatus() {
    QFETCH(QString, fault);
    QFETCH(int, timeOut);
    QFETCH(int, status);
    placeTags({"E004010012345671", "E007000000ABCD12", "E016123456789AB3"});
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0);
    setPort("TimeOut", std::to_string(timeOut).c_str());
    QVERIFY(emulator_.command("fault " + fault));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), status);
    const qint64 getBaudMs = timer.restart();
    const IsoReply inventory = iso(reader_, {0x01, 0x00});
    const qint64 inventoryMs = timer.elapsed();
    QCOMPARE(inventory.status, status);
    QCOMPARE(inventory.data.size(), status == 0 ? std::size_t{31} : std::size_t{0});

    // A failure waits out the reply time-out, and not much longer.
    const int getBaudLimit = replyTimeoutMs(0, timeOut);
    const int inventoryLimit = replyTimeoutMs(2, timeOut);
    if (status != 0) {
        QVERIFY2(getBaudMs >= getBaudLimit - 1, qPrintable(QString::number(getBaudMs)));
        QVERIFY2(inventoryMs >= inventoryLimit - 1, qPrintable(QString::number(inventoryMs)));
    }
    QVERIFY2(getBaudMs < getBaudLimit + 2000, qPrintable(QString::number(getBaudMs)));
    QVERIFY2(inventoryMs < inventoryLimit + 2000, qPrintable(QString::number(inventoryMs)));
}

void TestReaderCommands::protocolLogShowsEachFrame() {
    QCOMPARE(ZQKRT_SetReaderPara(reader_, "LogProt", "1"), ZQKRT_OK);
    takeLog(reader_);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, 3), int32_t{ZQKRT_ERR_TIMEOUT});
    QCOMPARE(ZQKRT_SetReaderPara(reader_, "LogProt", "0"), ZQKRT_OK);
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0);

    const wire::Frame request{255, 0x52, 0, {}};
    const wire::Frame reply{0, 0x52, 0x00, {0x02}}; // rate index of 38400
    const wire::Frame unanswered{3, 0x52, 0, {}};
    const std::string expected = frameLine("->", wire::FrameKind::Request, request) +
                                 frameLine("<-", wire::FrameKind::Reply, reply) +
                                 frameLine("->", wire::FrameKind::Request, unanswered);
    char small[8];
    QCOMPARE(ZQKRT_ReadProtocolLog(reader_, small, sizeof small),
             int32_t{ZQKRT_ERR_BUFFER_TOO_SMALL});
    QCOMPARE(takeLog(reader_), expected);
    QCOMPARE(takeLog(reader_), std::string());
}

void TestReaderCommands::rateAndFrameMustMatchTheReader() {
    QCOMPARE(ZQKRT_SetReaderPara(reader_, "LogProt", "1"), ZQKRT_OK);
    QVERIFY(emulator_.command("rate 115200"));
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), int32_t{ZQKRT_ERR_TIMEOUT});
    setPort("Baud", "115200");
    takeLog(reader_);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
    const wire::Frame fastest{0, 0x52, 0x00, {0x00}};
    QVERIFY(takeLog(reader_).ends_with(frameLine("<-", wire::FrameKind::Reply, fastest)));
    QCOMPARE(ZQKRT_SetReaderPara(reader_, "LogProt", "0"), ZQKRT_OK);

    QVERIFY(emulator_.command("frame 8N1"));
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), int32_t{ZQKRT_ERR_TIMEOUT});
    setPort("Frame", "8O1");
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), int32_t{ZQKRT_ERR_TIMEOUT});
    setPort("Frame", "8N1");
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);

    QVERIFY(emulator_.command("rate 38400"));
    QVERIFY(emulator_.command("frame 8E1"));
    setPort("Baud", "38400");
    setPort("Frame", "8E1");
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
}

void TestReaderCommands::callsFromSeveralThreads() {
    placeTags({"E004010012345671", "E007000000ABCD12"});
    const int32_t second = ZQKRT_NewReader(0);
    QVERIFY(second > 0);
    QCOMPARE(ZQKRT_SetReaderPara(second, "PortHnd", std::to_string(port_).c_str()), ZQKRT_OK);
    QCOMPARE(ZQKRT_SetReaderPara(second, "LogProt", "1"), ZQKRT_OK);
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), 0);

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        const int32_t reader = t % 2 == 0 ? reader_ : second;
        threads.emplace_back([reader, &wrong] {
            for (int i = 0; i < 25; ++i) {
                const bool right = ZQKRT_0x52_GetBaud(reader, kBroadcast) == 0 &&
                                   ZQKRT_0x69_RFReset(reader, kBroadcast) == 0 &&
                                   iso(reader, {0x01, 0x00}).data.size() == 21;
                wrong += right ? 0 : 1;
            }
        });
    }
    threads.emplace_back([second] {
        for (int i = 0; i < 50; ++i) {
            takeLog(second);
        }
    });
    for (std::thread& thread : threads) {
        thread.join();
    }
    QCOMPARE(wrong.load(), 0);
    QCOMPARE(ZQKRT_SetReaderPara(second, "LogProt", "0"), ZQKRT_OK);
}

void TestReaderCommands::txTimeControlKeepsTheLineQuiet_data() {
    QTest::addColumn<QString>("timeControl");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("pause");

    QTest::newRow("on") << "1"
                        << "300" << 300;
    QTest::newRow("held to the longest pause") << "1"
                                               << "60000" << wire::kMaxTxDelayMs;
    QTest::newRow("off") << "0"
                         << "1000" << 0;
}

// The emulator measures the quiet on the line before each request; the commands' own time shows
// that a pause is kept, and a generous limit that no pause is kept beyond the setting.
void TestReaderCommands::txTimeControlKeepsTheLineQuiet() {
    QFETCH(QString, timeControl);
    QFETCH(QString, delay);
    QFETCH(int, pause);
    setPort("TxTimeControl", qPrintable(timeControl));
    setPort("TxDelayTime", qPrintable(delay));
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
        const int quiet = quietBeforeLastRequestMs();
        QVERIFY2(quiet >= pause, qPrintable(QString::number(quiet)));
    }
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 2 * pause, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < 2 * pause + 2000, qPrintable(QString::number(elapsed)));
}

int32_t TestReaderCommands::interruptedGetBaud(const std::function<void()>& interrupt) {
    ZQKRT_SetReaderPara(reader_, "LogProt", "1");
    takeLog(reader_);
    std::atomic<int32_t> status{0};
    QElapsedTimer timer;
    timer.start();
    std::thread waiting([this, &status] { status = ZQKRT_0x52_GetBaud(reader_, kBroadcast); });
    std::string log;
    while (log.find("->") == std::string::npos && timer.elapsed() < 5000) {
        log += takeLog(reader_);
    }
    interrupt();
    waiting.join();
    ZQKRT_SetReaderPara(reader_, "LogProt", "0");
    // Far sooner than the reply time-out would have ended it.
    return timer.elapsed() < 5000 ? status.load() : int32_t{ZQKRT_ERR_TIMEOUT};
}

// A command waiting on a silent line ends at once when another thread cancels it, and the next
// command runs as usual; a cancel while no command waits ends nothing. A hang-up ends the wait
// too, and fails every command until the port is opened again.
void TestReaderCommands::silentWaitEndsOnCancelOrHangup() {
    QCOMPARE(ZQKRT_CancelCommand(reader_), ZQKRT_OK);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
    QCOMPARE(ZQKRT_CancelCommand(reader_ + 100000), ZQKRT_ERR_BAD_HANDLE);
    QVERIFY(emulator_.command("fault silence"));
    setPort("TimeOut", "60000");
    QCOMPARE(interruptedGetBaud([this] { QCOMPARE(ZQKRT_CancelCommand(reader_), ZQKRT_OK); }),
             int32_t{ZQKRT_ERR_CANCELLED});
    QVERIFY(emulator_.command("fault none"));
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);

    QVERIFY(emulator_.command("fault silence"));
    QCOMPARE(interruptedGetBaud([this] { QVERIFY(emulator_.command("fault hangup")); }),
             int32_t{ZQKRT_ERR_WRITE_FAILED});
    QCOMPARE(ZQKRT_0x69_RFReset(reader_, kBroadcast), int32_t{ZQKRT_ERR_WRITE_FAILED});

    QVERIFY(emulator_.command("fault none"));
    QCOMPARE(ZQCOM_ClosePort(port_), ZQCOM_OK);
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), int32_t{ZQKRT_ERR_PORT_NOT_OPEN});
    openAndBind();
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), 0);
}

void TestReaderCommands::slowReplyBeyondTheTimeOut() {
    setPort("TimeOut", "0");
    QVERIFY(emulator_.command("fault slow 5000"));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(ZQKRT_0x52_GetBaud(reader_, kBroadcast), int32_t{ZQKRT_ERR_TIMEOUT});
    const qint64 elapsed = timer.elapsed();
    const int limit = replyTimeoutMs(0, 0);
    QVERIFY2(elapsed >= limit - 1, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < limit + 2000, qPrintable(QString::number(elapsed)));
}

QTEST_GUILESS_MAIN(TestReaderCommands)
#include "test_readercommands.moc"
