#include "PcscDaemon.h"
#include "ReaderEmulatorProcess.h"
#include "ZQKRT_TableArray.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <vector>

namespace {

constexpr int kWaitMs = 15000;
constexpr const char* kUid = "E004010012345678";
constexpr const char* kTimeOut = "1500";

struct Inventory {
    std::int32_t status = -1;
    QStringList rows; // type and serial number of each transponder the table lists
};

// One pass of the station's inventory: RF reset, then Inventory through the transponder table.
Inventory tableInventory(std::int32_t reader) {
    TZQKRT_TableArray table(reader);
    std::string reply;
    Inventory result;
    result.status = table.RunCommand(0x69, reply);
    if (result.status != 0 && result.status != ZQKRT_STATUS_FIELD_SWITCHED_ON) {
        return result;
    }
    table.SetValue(8, "01");
    table.SetValue(9, "00");
    result.status = table.RunCommand(0xB0, reply);
    if (result.status < 0 || reply.size() < 2) {
        return result;
    }
    for (int i = 0; i < std::stoi(reply.substr(0, 2), nullptr, 16); ++i) {
        table.Add();
    }
    table.SetValue(5, reply);
    for (std::int32_t i = 0; i < table.Count; ++i) {
        table.SetValue(12, std::to_string(i));
        std::string type;
        std::string serial;
        table.GetValue(6, type);
        table.GetValue(7, serial);
        result.rows << QString::fromStdString(type + " " + serial);
    }
    return result;
}

std::int32_t isoCommand(std::int32_t reader, const QByteArray& hexRequest, QByteArray& reply) {
    const QByteArray request = QByteArray::fromHex(hexRequest);
    std::array<std::uint8_t, ZQKRT_RESPONSE_BUFFER_SIZE> response{};
    std::int32_t length = 0;
    const std::int32_t status =
        ZQKRT_0xB0_ISOCmd(reader, 255, reinterpret_cast<const std::uint8_t*>(request.constData()),
                          std::int32_t(request.size()), response.data(), &length, 0);
    reply = QByteArray(reinterpret_cast<const char*>(response.data()), length).toHex().toUpper();
    return status;
}

} // namespace

// The port and reader libraries on a PC/SC reader: a private pcscd (scripts/rig/pcsc-rig.sh)
// whose virtual reader gets its card from the reader emulator's card face. The emulator's serial
// line, port "1", shows the same transponders to compare with.
class TestPcscPorts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void portBehavesAsASerialPort();
    void inventoryListsThePlacedTransponder();
    void blocksRoundTrip();
    void transponderLaidAgainAtOnceIsListed();
    void removingTheTransponderLeavesNoTag();
    void serviceStoppedMidway();

private:
    std::int32_t bindReader(std::int32_t port);
    Inventory awaitInventory(std::int32_t reader, int rows);

    QTemporaryDir directory_;
    QString previousDirectory_;
    PcscDaemon daemon_;
    ReaderEmulatorProcess emulator_;
    std::int32_t cardPort_ = 0;
    std::int32_t serialPort_ = 0;
    std::int32_t cardReader_ = 0;
    std::int32_t serialReader_ = 0;
};

std::int32_t TestPcscPorts::bindReader(std::int32_t port) {
    const std::int32_t reader = ZQKRT_NewReader(0);
    if (reader <= 0 || ZQKRT_SetReaderPara(reader, "PortHnd", std::to_string(port).c_str()) != 0) {
        return 0;
    }
    return reader;
}

Inventory TestPcscPorts::awaitInventory(std::int32_t reader, int rows) {
    QElapsedTimer timer;
    timer.start();
    Inventory inventory = tableInventory(reader);
    while (inventory.rows.size() != rows && timer.elapsed() < kWaitMs) {
        QTest::qWait(50);
        inventory = tableInventory(reader);
    }
    return inventory;
}

void TestPcscPorts::initTestCase() {
    QVERIFY(directory_.isValid());
    QString error;
    QVERIFY2(daemon_.start(error), qPrintable(error));
    QVERIFY2(emulator_.start(
                 QCoreApplication::applicationDirPath() + "/reader-emulator", directory_.path(),
                 {"--no-delays", "--port", "COM1", "--pcsc", "127.0.0.1:" + daemon_.cardPort()},
                 error),
             qPrintable(error));
    previousDirectory_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(directory_.path()));

    cardPort_ = ZQCOM_OpenPort("5");
    QVERIFY2(cardPort_ > 0, qPrintable(QString::number(cardPort_)));
    QCOMPARE(ZQCOM_SetPortPara(cardPort_, "TimeOut", kTimeOut), ZQCOM_OK);
    serialPort_ = ZQCOM_OpenPort("1");
    QVERIFY2(serialPort_ > 0, qPrintable(QString::number(serialPort_)));
    cardReader_ = bindReader(cardPort_);
    serialReader_ = bindReader(serialPort_);
    QVERIFY(cardReader_ > 0 && serialReader_ > 0);
}

void TestPcscPorts::cleanupTestCase() {
    ZQCOM_ClosePort(cardPort_);
    ZQCOM_ClosePort(serialPort_);
    emulator_.stop();
    QDir::setCurrent(previousDirectory_);
}

void TestPcscPorts::portBehavesAsASerialPort() {
    std::array<char, ZQCOM_VALUE_BUFFER_SIZE> value{};
    QCOMPARE(ZQCOM_GetPortPara(cardPort_, "ReaderName", value.data()), ZQCOM_OK);
    QVERIFY2(QByteArray(value.data()).startsWith("Virtual PCD"), value.data());
    QCOMPARE(ZQCOM_GetPortPara(cardPort_, "PortNr", value.data()), ZQCOM_OK);
    QCOMPARE(QByteArray(value.data()), QByteArray("5"));
    // Kept and read back, though they mean nothing to the reader.
    for (const auto& [name, setting] :
         {std::pair{"Baud", "9600"}, std::pair{"Frame", "8N1"}, std::pair{"TxTimeControl", "0"},
          std::pair{"TxDelayTime", "70"}}) {
        QCOMPARE(ZQCOM_SetPortPara(cardPort_, name, setting), ZQCOM_OK);
        QCOMPARE(ZQCOM_GetPortPara(cardPort_, name, value.data()), ZQCOM_OK);
        QCOMPARE(QByteArray(value.data()), QByteArray(setting));
    }
    QCOMPARE(ZQCOM_SetPortPara(cardPort_, "Baud", "1234"), ZQCOM_ERR_BAD_VALUE);
    QCOMPARE(ZQCOM_SetPortPara(cardPort_, "ReaderName", "x"), ZQCOM_ERR_READ_ONLY);
    QCOMPARE(ZQCOM_OpenPort("5"), ZQCOM_ERR_PORT_BUSY);
    // The virtual reader driver makes two readers; there is no fourth.
    QCOMPARE(ZQCOM_OpenPort("8"), ZQCOM_ERR_OPEN_FAILED);
    std::vector<std::int32_t> listed;
    for (std::int32_t handle = ZQCOM_GetPortList(0); handle > 0;
         handle = ZQCOM_GetPortList(handle)) {
        listed.push_back(handle);
    }
    QCOMPARE(listed, (std::vector<std::int32_t>{cardPort_, serialPort_}));
    QCOMPARE(ZQKRT_0x52_GetBaud(cardReader_, 255), 0);
}

void TestPcscPorts::inventoryListsThePlacedTransponder() {
    QVERIFY(emulator_.command(QString("place ") + kUid));
    const Inventory overSerial = awaitInventory(serialReader_, 1);
    QCOMPARE(overSerial.rows, QStringList{QString("00 ") + kUid});
    const Inventory overCard = awaitInventory(cardReader_, 1);
    QCOMPARE(overCard.status, 0);
    QCOMPARE(overCard.rows, overSerial.rows);
}

void TestPcscPorts::blocksRoundTrip() {
    QByteArray reply;
    const QByteArray uid(kUid);
    // Blocks 2 and 3 of four bytes each.
    QCOMPARE(isoCommand(cardReader_, "2400" + uid + "0202041122334455667788", reply), 0);
    QCOMPARE(reply, QByteArray("00"));
    const QByteArray blocks = "000400112233440055667788";
    QCOMPARE(isoCommand(cardReader_, "2300" + uid + "0202", reply), 0);
    QCOMPARE(reply, blocks);
    // The same memory, seen over the serial line.
    QCOMPARE(isoCommand(serialReader_, "2300" + uid + "0202", reply), 0);
    QCOMPARE(reply, blocks);
    QCOMPARE(isoCommand(cardReader_, "2B00" + uid, reply), 0x01);
}

// Taken away while connected, the card's loss is first met by the RF reset; laid again before
// the service looks at the reader on its own, it must still be listed.
void TestPcscPorts::transponderLaidAgainAtOnceIsListed() {
    const QString other = "E007000000ABCD12";
    for (const QString& next : {QString(kUid), other, QString(kUid)}) {
        QCOMPARE(awaitInventory(cardReader_, 1).rows.size(), 1);
        QVERIFY(emulator_.command("clear"));
        ZQKRT_0x69_RFReset(cardReader_, 255);
        QVERIFY(emulator_.command("place " + next));
        const QString type = next == other ? "01 " : "00 ";
        QCOMPARE(awaitInventory(cardReader_, 1).rows, QStringList{type + next});
    }
}

void TestPcscPorts::removingTheTransponderLeavesNoTag() {
    QVERIFY(emulator_.command(QString("remove ") + kUid));
    QCOMPARE(awaitInventory(cardReader_, 0).rows, QStringList());
    QByteArray reply;
    QCOMPARE(isoCommand(cardReader_, "0100", reply), 0x83);
    QCOMPARE(reply, QByteArray("00"));
    QCOMPARE(isoCommand(cardReader_, QByteArray("2300") + kUid + "0001", reply), 0x83);
    QCOMPARE(reply, QByteArray());
}

void TestPcscPorts::serviceStoppedMidway() {
    QVERIFY(daemon_.stop());
    QByteArray reply;
    const QByteArray uid(kUid);
    // Every command fails at once, and none waits past the time-out.
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(isoCommand(cardReader_, "0100", reply), ZQKRT_ERR_WRITE_FAILED);
    QCOMPARE(isoCommand(cardReader_, "2300" + uid + "0001", reply), ZQKRT_ERR_WRITE_FAILED);
    QCOMPARE(ZQKRT_0x52_GetBaud(cardReader_, 255), ZQKRT_ERR_WRITE_FAILED);
    QCOMPARE(ZQKRT_0x69_RFReset(cardReader_, 255), ZQKRT_ERR_WRITE_FAILED);
    QVERIFY2(timer.elapsed() < 4 * QByteArray(kTimeOut).toInt(),
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(tableInventory(cardReader_).status, ZQKRT_ERR_WRITE_FAILED);
    QCOMPARE(ZQCOM_OpenPort("6"), ZQCOM_ERR_NO_SERVICE);
    // The serial line goes on.
    QCOMPARE(ZQKRT_0x52_GetBaud(serialReader_, 255), 0);
    QCOMPARE(ZQCOM_ClosePort(cardPort_), ZQCOM_OK);
    QCOMPARE(ZQKRT_0x52_GetBaud(cardReader_, 255), ZQKRT_ERR_PORT_NOT_OPEN);
    cardPort_ = 0;
}

QTEST_GUILESS_MAIN(TestPcscPorts)
#include "test_pcscports.moc"
