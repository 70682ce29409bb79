#include "FailingAllocations.h"
#include "PseudoTerminal.h"
#include "WorkingFolder.h"
#include "zqcom.h"

#include <QFile>
#include <QTest>
#include <algorithm>
#include <array>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <thread>
#include <vector>

namespace {

std::string parameter(int32_t handle, const char* name) {
    char value[ZQCOM_VALUE_BUFFER_SIZE] = {};
    const int32_t status = ZQCOM_GetPortParaBuf(handle, name, value, sizeof value);
    return status == ZQCOM_OK ? std::string(value) : "status " + std::to_string(status);
}

std::vector<int32_t> openPortList() {
    std::vector<int32_t> handles;
    for (int32_t handle = ZQCOM_GetPortList(0); handle > 0; handle = ZQCOM_GetPortList(handle)) {
        handles.push_back(handle);
    }
    return handles;
}

} // namespace

// Ports "1".."3" are pseudo-terminals linked as dosdevices/com1..com3 in a temporary working
// directory; "4" is a link to nothing.
class TestZqcom : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void opensPortsByNumber();
    void refusedOpens_data();
    void refusedOpens();
    void heldPortIsBusy();
    void badAndStaleHandles();
    void portListWalksExactlyTheOpenPorts();
    void freshPortHasDefaults();
    void parameterRoundTrip_data();
    void parameterRoundTrip();
    void refusesBadValues_data();
    void refusesBadValues();
    void unknownParameters_data();
    void unknownParameters();
    void refusedCalls();
    void outOfMemoryIsAnInternalError();
    void sizedReadRefusesSmallBuffers();
    void unsizedReadStaysInItsBuffer();
    void baudAndFrameReachTheLine_data();
    void baudAndFrameReachTheLine();
    void tooManyOpenPorts();
    void callsFromTwoThreads();
    void pcscPortsWithoutService();

private:
    std::unique_ptr<ScratchWorkingFolder> directory_;
    std::array<PseudoTerminal, 3> terminals_;
};

void TestZqcom::initTestCase() {
    directory_ = std::make_unique<ScratchWorkingFolder>();
    QVERIFY(directory_->enter());
    for (const PseudoTerminal& terminal : terminals_) {
        QVERIFY(terminal.isValid());
    }
}

void TestZqcom::cleanupTestCase() {
    directory_.reset();
}

void TestZqcom::init() {
    for (int number = 1; number <= 3; ++number) {
        QVERIFY(linkComPort(number, QString::fromStdString(terminals_[number - 1].slavePath())));
    }
    QVERIFY(linkComPort(4, "/nonexistent/ttyGone"));
}

void TestZqcom::cleanup() {
    for (const int32_t handle : openPortList()) {
        QCOMPARE(ZQCOM_ClosePort(handle), ZQCOM_OK);
    }
    QCOMPARE(ZQCOM_GetPortList(0), 0);
}

void TestZqcom::opensPortsByNumber() {
    int32_t previous = 0;
    for (const char* number : {"1", "2", "3"}) {
        const int32_t handle = ZQCOM_OpenPort(number);
        QVERIFY2(handle > previous, qPrintable(QString("port %1: %2").arg(number).arg(handle)));
        QCOMPARE(parameter(handle, "PortNr"), std::string(number));
        previous = handle;
    }
}

void TestZqcom::refusedOpens_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("port4");
    QTest::addColumn<int>("status");

    for (const char* number :
         {"0", "9", "", "01", "1 ", " 1", "+1", "-1", "a", "4x", "12", "COM1", "\x31\xff"}) {
        QTest::newRow(number) << QString::fromLatin1(number) << "" << int(ZQCOM_ERR_BAD_VALUE);
    }
    QTest::newRow("missing device") << "4"
                                    << "/nonexistent/ttyGone" << int(ZQCOM_ERR_OPEN_FAILED);
    QTest::newRow("no terminal") << "4"
                                 << "/dev/null" << int(ZQCOM_ERR_LINE_SETTINGS);
}

void TestZqcom::refusedOpens() {
    QFETCH(QString, number);
    QFETCH(QString, port4);
    QFETCH(int, status);
    if (!port4.isEmpty()) {
        QVERIFY(linkComPort(4, port4));
    }
    QCOMPARE(ZQCOM_OpenPort(number.toLatin1().constData()), status);
    QVERIFY(openPortList().empty());
}

void TestZqcom::heldPortIsBusy() {
    const int32_t first = ZQCOM_OpenPort("1");
    QVERIFY(first > 0);
    QCOMPARE(ZQCOM_OpenPort("1"), ZQCOM_ERR_PORT_BUSY);
    QCOMPARE(openPortList(), std::vector<int32_t>{first});

    // Held by another program.
    const int holder = ::open(terminals_[1].slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
    QCOMPARE(ZQCOM_OpenPort("2"), ZQCOM_ERR_PORT_BUSY);
    ::close(holder);
    QVERIFY(ZQCOM_OpenPort("2") > first);
}

void TestZqcom::badAndStaleHandles() {
    char value[ZQCOM_VALUE_BUFFER_SIZE];
    for (const int32_t handle : {0, -1, 999999}) {
        QCOMPARE(ZQCOM_ClosePort(handle), ZQCOM_ERR_BAD_HANDLE);
        QCOMPARE(ZQCOM_GetPortPara(handle, "Baud", value), ZQCOM_ERR_BAD_HANDLE);
        QCOMPARE(ZQCOM_SetPortPara(handle, "Baud", "9600"), ZQCOM_ERR_BAD_HANDLE);
    }

    const int32_t stale = ZQCOM_OpenPort("1");
    QVERIFY(stale > 0);
    QCOMPARE(ZQCOM_ClosePort(stale), ZQCOM_OK);
    QCOMPARE(ZQCOM_ClosePort(stale), ZQCOM_ERR_BAD_HANDLE);
    QCOMPARE(ZQCOM_GetPortPara(stale, "Baud", value), ZQCOM_ERR_BAD_HANDLE);
    QCOMPARE(ZQCOM_SetPortPara(stale, "Baud", "9600"), ZQCOM_ERR_BAD_HANDLE);

    // The same port opens again, under a new handle; the old one stays dead.
    const int32_t reopened = ZQCOM_OpenPort("1");
    QVERIFY(reopened > stale);
    QCOMPARE(ZQCOM_GetPortPara(stale, "Baud", value), ZQCOM_ERR_BAD_HANDLE);
    QCOMPARE(parameter(reopened, "PortNr"), std::string("1"));
}

void TestZqcom::portListWalksExactlyTheOpenPorts() {
    QCOMPARE(ZQCOM_GetPortList(0), 0);
    const int32_t first = ZQCOM_OpenPort("1");
    const int32_t second = ZQCOM_OpenPort("2");
    const int32_t third = ZQCOM_OpenPort("3");
    QVERIFY(first > 0 && second > 0 && third > 0);
    QCOMPARE(openPortList(), (std::vector<int32_t>{first, second, third}));

    QCOMPARE(ZQCOM_ClosePort(second), ZQCOM_OK);
    QCOMPARE(openPortList(), (std::vector<int32_t>{first, third}));
    // A walk from a handle closed meanwhile goes on with the next open one.
    QCOMPARE(ZQCOM_GetPortList(second), third);
    QCOMPARE(ZQCOM_GetPortList(third), 0);
    QCOMPARE(ZQCOM_GetPortList(-1), ZQCOM_ERR_BAD_HANDLE);
}

void TestZqcom::freshPortHasDefaults() {
    // The line starts elsewhere, so the defaults must really be applied.
    const int32_t handle = ZQCOM_OpenPort("1");
    QVERIFY(handle > 0);
    QCOMPARE(ZQCOM_SetPortPara(handle, "Baud", "1200"), ZQCOM_OK);
    QCOMPARE(ZQCOM_SetPortPara(handle, "Frame", "8O1"), ZQCOM_OK);
    QCOMPARE(ZQCOM_ClosePort(handle), ZQCOM_OK);

    const int32_t fresh = ZQCOM_OpenPort("1");
    QVERIFY(fresh > 0);
    QCOMPARE(parameter(fresh, "Baud"), std::string("38400"));
    QCOMPARE(parameter(fresh, "Frame"), std::string("8E1"));
    QCOMPARE(parameter(fresh, "TimeOut"), std::string("800"));
    QCOMPARE(parameter(fresh, "TxTimeControl"), std::string("1"));
    QCOMPARE(parameter(fresh, "TxDelayTime"), std::string("5"));

    const termios line = terminals_[0].line();
    QCOMPARE(cfgetospeed(&line), speed_t(B38400));
    QVERIFY((line.c_iflag & INPCK) != 0);
    QVERIFY((line.c_cflag & PARODD) == 0);
    QVERIFY((line.c_cflag & CSTOPB) == 0);
}

void TestZqcom::parameterRoundTrip_data() {
    QTest::addColumn<QString>("writtenName");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("timeout") << "timeout"
                             << "100"
                             << "TimeOut"
                             << "100";
    QTest::newRow("TimeOut leading zeros") << "TimeOut"
                                           << "0050"
                                           << "timeout"
                                           << "50";
    QTest::newRow("TimeOut zero") << "TIMEOUT"
                                  << "0"
                                  << "TimeOut"
                                  << "0";
    QTest::newRow("TimeOut largest") << "TimeOut"
                                     << "60000"
                                     << "TimeOut"
                                     << "60000";
    QTest::newRow("baud") << "baud"
                          << "9600"
                          << "Baud"
                          << "9600";
    QTest::newRow("Baud 115200") << "Baud"
                                 << "115200"
                                 << "BAUD"
                                 << "115200";
    QTest::newRow("Baud 1200") << "Baud"
                               << "1200"
                               << "Baud"
                               << "1200";
    QTest::newRow("frame lower case") << "frame"
                                      << "8n1"
                                      << "Frame"
                                      << "8N1";
    QTest::newRow("Frame 8O1") << "Frame"
                               << "8O1"
                               << "frame"
                               << "8O1";
    QTest::newRow("Frame mixed case") << "FRAME"
                                      << "8e1"
                                      << "Frame"
                                      << "8E1";
    QTest::newRow("TxTimeControl off") << "txtimecontrol"
                                       << "0"
                                       << "TxTimeControl"
                                       << "0";
    QTest::newRow("TxTimeControl on") << "TxTimeControl"
                                      << "1"
                                      << "TXTIMECONTROL"
                                      << "1";
    QTest::newRow("TxDelayTime") << "txdelaytime"
                                 << "250"
                                 << "TxDelayTime"
                                 << "250";
    QTest::newRow("TxDelayTime zero") << "TxDelayTime"
                                      << "000"
                                      << "TxDelayTime"
                                      << "0";
}

void TestZqcom::parameterRoundTrip() {
    QFETCH(QString, writtenName);
    QFETCH(QString, value);
    QFETCH(QString, readName);
    QFETCH(QString, expected);

    const int32_t handle = ZQCOM_OpenPort("2");
    QVERIFY(handle > 0);
    QCOMPARE(
        ZQCOM_SetPortPara(handle, writtenName.toLatin1().constData(), value.toLatin1().constData()),
        ZQCOM_OK);
    QCOMPARE(QString::fromStdString(parameter(handle, readName.toLatin1().constData())), expected);
}

void TestZqcom::refusesBadValues_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");

    for (const char* value : {"300", "14400", "230400", "38400 ", " 38400", "038400", "", "fast"}) {
        QTest::newRow(qPrintable(QString("Baud '%1'").arg(value))) << "Baud" << value;
    }
    for (const char* value : {"7E1", "8E2", "8M1", "8N", "8N1 ", ""}) {
        QTest::newRow(qPrintable(QString("Frame '%1'").arg(value))) << "Frame" << value;
    }
    for (const char* value :
         {"-1", "60001", "+5", " 5", "5 ", "1e3", "0x10", "", "abc", "99999999999999999999999"}) {
        QTest::newRow(qPrintable(QString("TimeOut '%1'").arg(value))) << "TimeOut" << value;
        QTest::newRow(qPrintable(QString("TxDelayTime '%1'").arg(value))) << "TxDelayTime" << value;
    }
    for (const char* value : {"2", "01", "yes", "true", ""}) {
        QTest::newRow(qPrintable(QString("TxTimeControl '%1'").arg(value)))
            << "TxTimeControl" << value;
    }
}

void TestZqcom::refusesBadValues() {
    QFETCH(QString, name);
    QFETCH(QString, value);

    const int32_t handle = ZQCOM_OpenPort("3");
    QVERIFY(handle > 0);
    const QByteArray nameText = name.toLatin1();
    const std::string before = parameter(handle, nameText.constData());
    const termios lineBefore = terminals_[2].line();

    QCOMPARE(ZQCOM_SetPortPara(handle, nameText.constData(), value.toLatin1().constData()),
             ZQCOM_ERR_BAD_VALUE);
    QCOMPARE(parameter(handle, nameText.constData()), before);
    const termios lineAfter = terminals_[2].line();
    QCOMPARE(cfgetospeed(&lineAfter), cfgetospeed(&lineBefore));
    QCOMPARE(lineAfter.c_iflag & INPCK, lineBefore.c_iflag & INPCK);
}

void TestZqcom::unknownParameters_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"", "Parity", "Baud ", " Baud", "Baudrate", "Time Out", "PortHnd", "TxDelay"}) {
        QTest::newRow(qPrintable(QString("'%1'").arg(name))) << name;
    }
}

void TestZqcom::unknownParameters() {
    QFETCH(QString, name);
    const int32_t handle = ZQCOM_OpenPort("1");
    QVERIFY(handle > 0);
    char value[ZQCOM_VALUE_BUFFER_SIZE];
    QCOMPARE(ZQCOM_GetPortPara(handle, name.toLatin1().constData(), value),
             ZQCOM_ERR_UNKNOWN_PARAMETER);
    QCOMPARE(ZQCOM_SetPortPara(handle, name.toLatin1().constData(), "1"),
             ZQCOM_ERR_UNKNOWN_PARAMETER);
}

void TestZqcom::refusedCalls() {
    const int32_t handle = ZQCOM_OpenPort("2");
    QVERIFY(handle > 0);
    char value[ZQCOM_VALUE_BUFFER_SIZE];
    QCOMPARE(ZQCOM_SetPortPara(handle, "PortNr", "3"), ZQCOM_ERR_READ_ONLY);
    QCOMPARE(ZQCOM_SetPortPara(handle, "portnr", "2"), ZQCOM_ERR_READ_ONLY);
    QCOMPARE(ZQCOM_OpenPort(nullptr), ZQCOM_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQCOM_GetPortPara(handle, nullptr, value), ZQCOM_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQCOM_GetPortPara(handle, "Baud", nullptr), ZQCOM_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQCOM_SetPortPara(handle, nullptr, "9600"), ZQCOM_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQCOM_SetPortPara(handle, "Baud", nullptr), ZQCOM_ERR_BAD_ARGUMENT);
    QCOMPARE(parameter(handle, "PORTNR"), std::string("2"));
    QCOMPARE(parameter(handle, "Baud"), std::string("38400"));
}

void TestZqcom::outOfMemoryIsAnInternalError() {
    int32_t status = 0;
    {
        const FailingAllocations failing;
        status = ZQCOM_OpenPort("1");
    }
    QCOMPARE(status, int32_t{ZQCOM_ERR_INTERNAL});
    QVERIFY(openPortList().empty());
    QVERIFY(ZQCOM_OpenPort("1") > 0);
}

void TestZqcom::sizedReadRefusesSmallBuffers() {
    const int32_t handle = ZQCOM_OpenPort("1");
    QVERIFY(handle > 0);
    char value[8];

    std::fill(std::begin(value), std::end(value), 'Z');
    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "Baud", value, 6), ZQCOM_OK);
    QCOMPARE(std::string(value), std::string("38400"));

    std::fill(std::begin(value), std::end(value), 'Z');
    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "Baud", value, 5), ZQCOM_ERR_BUFFER_TOO_SMALL);
    QCOMPARE(value[0], '\0');
    QCOMPARE(value[1], 'Z');

    std::fill(std::begin(value), std::end(value), 'Z');
    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "Baud", value, 0), ZQCOM_ERR_BUFFER_TOO_SMALL);
    QCOMPARE(value[0], 'Z');

    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "PortNr", value, 2), ZQCOM_OK);
    QCOMPARE(std::string(value), std::string("1"));
    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "PortNr", value, 1), ZQCOM_ERR_BUFFER_TOO_SMALL);
    // A bad handle or name is reported as such, whatever the buffer.
    QCOMPARE(ZQCOM_GetPortParaBuf(handle, "Nothing", value, 0), ZQCOM_ERR_UNKNOWN_PARAMETER);
    QCOMPARE(ZQCOM_GetPortParaBuf(999999, "Baud", value, 0), ZQCOM_ERR_BAD_HANDLE);
}

void TestZqcom::unsizedReadStaysInItsBuffer() {
    const int32_t handle = ZQCOM_OpenPort("3");
    QVERIFY(handle > 0);
    char value[ZQCOM_PORTNR_BUFFER_SIZE + 3];
    std::fill(std::begin(value), std::end(value), 'Z');
    QCOMPARE(ZQCOM_GetPortPara(handle, "portnr", value), ZQCOM_OK);
    QCOMPARE(std::string(value), std::string("3"));
    QCOMPARE(std::string(value + 2, sizeof value - 2), std::string(sizeof value - 2, 'Z'));
}

void TestZqcom::baudAndFrameReachTheLine_data() {
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<int>("speed");
    QTest::addColumn<bool>("parity");
    QTest::addColumn<bool>("odd");

    QTest::newRow("115200 8N1") << "115200"
                                << "8N1" << int(B115200) << false << false;
    QTest::newRow("57600 8O1") << "57600"
                               << "8O1" << int(B57600) << true << true;
    QTest::newRow("19200 8E1") << "19200"
                               << "8E1" << int(B19200) << true << false;
    QTest::newRow("9600 8n1") << "9600"
                              << "8n1" << int(B9600) << false << false;
    QTest::newRow("4800 8o1") << "4800"
                              << "8o1" << int(B4800) << true << true;
    QTest::newRow("2400 8E1") << "2400"
                              << "8E1" << int(B2400) << true << false;
    QTest::newRow("1200 8N1") << "1200"
                              << "8N1" << int(B1200) << false << false;
}

void TestZqcom::baudAndFrameReachTheLine() {
    QFETCH(QString, baud);
    QFETCH(QString, frame);
    QFETCH(int, speed);
    QFETCH(bool, parity);
    QFETCH(bool, odd);

    const int32_t handle = ZQCOM_OpenPort("2");
    QVERIFY(handle > 0);
    QCOMPARE(ZQCOM_SetPortPara(handle, "Baud", baud.toLatin1().constData()), ZQCOM_OK);
    QCOMPARE(ZQCOM_SetPortPara(handle, "Frame", frame.toLatin1().constData()), ZQCOM_OK);

    const termios line = terminals_[1].line();
    QCOMPARE(int(cfgetospeed(&line)), speed);
    QCOMPARE((line.c_iflag & INPCK) != 0, parity);
    QCOMPARE((line.c_cflag & PARODD) != 0, odd);
    QVERIFY((line.c_cflag & CSTOPB) == 0);
    // A later change of the one keeps the other.
    QCOMPARE(ZQCOM_SetPortPara(handle, "Baud", "38400"), ZQCOM_OK);
    const termios changed = terminals_[1].line();
    QCOMPARE((changed.c_iflag & INPCK) != 0, parity);
    QCOMPARE((changed.c_cflag & PARODD) != 0, odd);
}

void TestZqcom::tooManyOpenPorts() {
    PseudoTerminal fourth;
    PseudoTerminal fifth;
    QVERIFY(linkComPort(4, QString::fromStdString(fourth.slavePath())));
    for (const char* number : {"1", "2", "3", "4"}) {
        QVERIFY(ZQCOM_OpenPort(number) > 0);
    }
    // Port 1 is open; its link now names another free device.
    QVERIFY(linkComPort(1, QString::fromStdString(fifth.slavePath())));
    QCOMPARE(ZQCOM_OpenPort("1"), ZQCOM_ERR_TOO_MANY_PORTS);
    QCOMPARE(openPortList().size(), std::size_t(4));
    // The refused open left the device free.
    const int probe = ::open(fifth.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(probe >= 0);
    QCOMPARE(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
}

void TestZqcom::callsFromTwoThreads() {
    const int32_t shared = ZQCOM_OpenPort("1");
    QVERIFY(shared > 0);
    std::atomic<int> faults{0};
    constexpr int kRounds = 200;

    std::thread setter([&] {
        for (int round = 0; round < kRounds; ++round) {
            const char* baud = round % 2 == 0 ? "9600" : "19200";
            if (ZQCOM_SetPortPara(shared, "Baud", baud) != ZQCOM_OK ||
                ZQCOM_SetPortPara(shared, "TimeOut", std::to_string(round).c_str()) != ZQCOM_OK) {
                ++faults;
            }
        }
    });
    std::thread opener([&] {
        for (int round = 0; round < kRounds; ++round) {
            const int32_t handle = ZQCOM_OpenPort("2");
            const std::string baud = parameter(shared, "Baud");
            if (handle <= 0 || (baud != "9600" && baud != "19200" && baud != "38400") ||
                openPortList().size() != 2 || ZQCOM_ClosePort(handle) != ZQCOM_OK) {
                ++faults;
            }
        }
    });
    setter.join();
    opener.join();
    QCOMPARE(faults.load(), 0);
    QCOMPARE(parameter(shared, "TimeOut"), std::to_string(kRounds - 1));
}

void TestZqcom::pcscPortsWithoutService() {
    // A socket where no PC/SC service listens; read by the client library at its first use.
    qputenv("PCSCLITE_CSOCK_NAME", QFile::encodeName(directory_->filePath("no-service")));
    const int32_t serial = ZQCOM_OpenPort("1");
    QVERIFY(serial > 0);
    for (const char* number : {"5", "6", "7", "8"}) {
        QCOMPARE(ZQCOM_OpenPort(number), ZQCOM_ERR_NO_SERVICE);
    }
    QCOMPARE(openPortList(), std::vector<int32_t>{serial});
    QCOMPARE(parameter(serial, "ReaderName"), std::string());
    QCOMPARE(ZQCOM_SetPortPara(serial, "ReaderName", "x"), ZQCOM_ERR_READ_ONLY);
}

QTEST_APPLESS_MAIN(TestZqcom)
#include "test_zqcom.moc"
