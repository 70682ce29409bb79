#include "LineAttributes.h"
#include "PseudoTerminal.h"
#include "SerialPort.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::LineSettings;
using platform::Parity;
using platform::SerialFailure;
using platform::SerialPort;

Q_DECLARE_METATYPE(Parity)

namespace {

std::string allByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

// Waits until the port has count bytes waiting; false after a generous deadline.
bool waitForWaiting(const SerialPort& port, long count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (port.bytesWaiting() != count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        port.waitReadable(20);
    }
    return true;
}

// Tries to take the device in a child process as any other program would, as user asUser
// when that is not -1. Returns true when the device was held by someone else.
bool heldForAnotherProcess(const std::string& device, uid_t asUser = uid_t(-1)) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (asUser != uid_t(-1) && (::setgid(asUser) != 0 || ::setuid(asUser) != 0)) {
            ::_exit(3);
        }
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            ::_exit(errno == EBUSY ? 0 : 2);
        }
        ::_exit(::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT

private slots:
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void parityCheckIsAMarkOnPseudoTerminalsOnly();
    void refusesUnsupportedSettings_data();
    void refusesUnsupportedSettings();
    void passesEveryByteValueUnchanged();
    void countsAndPurgesWaitingBytes();
    void largeWriteCompletes();
    void secondOpenOfOneDeviceFails();
    void deviceHeldElsewhereIsBusy();
    void closeThenReopen();
    void exclusiveForOtherUsersUntilClosed();
    void missingDeviceOrNoTerminalFailsCleanly();
};

void TestSerialPort::settingsRoundTrip_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<Parity>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("speedCode");

    QTest::newRow("1200 8N1") << 1200 << 8 << Parity::None << 1 << int(B1200);
    QTest::newRow("2400 7E1") << 2400 << 7 << Parity::Even << 1 << int(B2400);
    QTest::newRow("4800 6O1") << 4800 << 6 << Parity::Odd << 1 << int(B4800);
    QTest::newRow("9600 7N1") << 9600 << 7 << Parity::None << 1 << int(B9600);
    QTest::newRow("19200 8N2") << 19200 << 8 << Parity::None << 2 << int(B19200);
    QTest::newRow("38400 8E1") << 38400 << 8 << Parity::Even << 1 << int(B38400);
    QTest::newRow("57600 8O2") << 57600 << 8 << Parity::Odd << 2 << int(B57600);
    QTest::newRow("115200 5E2") << 115200 << 5 << Parity::Even << 2 << int(B115200);
}

void TestSerialPort::settingsRoundTrip() {
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(Parity, parity);
    QFETCH(int, stopBits);
    QFETCH(int, speedCode);

    PseudoTerminal terminal;
    QVERIFY(terminal.isValid());
    SerialPort port;
    QVERIFY2(port.open(terminal.slavePath()), port.lastError().c_str());
    QVERIFY(port.setSettings({baud, dataBits, parity, stopBits}));
    // Again: a request that changes nothing must not count as refused.
    QVERIFY(port.setSettings({baud, dataBits, parity, stopBits}));

    LineSettings read;
    QVERIFY(port.getSettings(read));
    QCOMPARE(read.baud, baud);
    QCOMPARE(read.dataBits, dataBits);
    QCOMPARE(read.parity, parity);
    QCOMPARE(read.stopBits, stopBits);

    // A pseudo-terminal keeps neither character size nor parity enable: the parity shows as
    // the input parity check.
    const termios line = terminal.line();
    QCOMPARE(int(cfgetospeed(&line)), speedCode);
    QCOMPARE((line.c_iflag & INPCK) != 0, parity != Parity::None);
    QCOMPARE((line.c_cflag & PARODD) != 0, parity == Parity::Odd);
    QCOMPARE((line.c_cflag & CSTOPB) != 0, stopBits == 2);
}

// On a wire the input check would turn a character with a parity or framing error into a zero
// byte: it stays as the line had it. A pseudo-terminal has no wire, and there it marks the parity.
void TestSerialPort::parityCheckIsAMarkOnPseudoTerminalsOnly() {
    for (const tcflag_t check : {tcflag_t(0), tcflag_t(INPCK)}) {
        termios current{};
        current.c_iflag = check;
        for (const Parity parity : {Parity::None, Parity::Even, Parity::Odd}) {
            const termios line = platform::lineAttributes(current, {2400, 7, parity, 1}, false);
            QCOMPARE(line.c_iflag & INPCK, check);
            QCOMPARE(platform::settingsOf(line, false, 7).parity, parity);
            const termios pty = platform::lineAttributes(current, {2400, 7, parity, 1}, true);
            QCOMPARE((pty.c_iflag & INPCK) != 0, parity != Parity::None);
            QCOMPARE(platform::settingsOf(pty, true, 7).parity, parity);
        }
    }
}

void TestSerialPort::refusesUnsupportedSettings_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("baud 300") << 300 << 8 << 1;
    QTest::newRow("baud 230400") << 230400 << 8 << 1;
    QTest::newRow("baud 0") << 0 << 8 << 1;
    QTest::newRow("4 data bits") << 9600 << 4 << 1;
    QTest::newRow("9 data bits") << 9600 << 9 << 1;
    QTest::newRow("3 stop bits") << 9600 << 8 << 3;
}

void TestSerialPort::refusesUnsupportedSettings() {
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);

    PseudoTerminal terminal;
    SerialPort port;
    QVERIFY(port.open(terminal.slavePath()));
    const LineSettings before{19200, 7, Parity::Odd, 2};
    QVERIFY(port.setSettings(before));

    QVERIFY(!port.setSettings({baud, dataBits, Parity::None, stopBits}));
    QCOMPARE(port.lastFailure(), SerialFailure::Settings);

    LineSettings after;
    QVERIFY(port.getSettings(after));
    QCOMPARE(after.baud, before.baud);
    QCOMPARE(after.dataBits, before.dataBits);
    QCOMPARE(after.parity, before.parity);
    QCOMPARE(after.stopBits, before.stopBits);
    const termios line = terminal.line();
    QCOMPARE(int(cfgetospeed(&line)), int(B19200));
}

void TestSerialPort::passesEveryByteValueUnchanged() {
    PseudoTerminal terminal;
    SerialPort port;
    QVERIFY(port.open(terminal.slavePath()));
    const std::string bytes = allByteValues();

    QCOMPARE(port.write(bytes.data(), bytes.size()), long(bytes.size()));
    QCOMPARE(terminal.receive(bytes.size()), bytes);

    QVERIFY(terminal.send(bytes));
    QVERIFY(waitForWaiting(port, long(bytes.size())));
    std::string received(bytes.size() + 16, '\0');
    QCOMPARE(port.read(received.data(), received.size()), long(bytes.size()));
    received.resize(bytes.size());
    QCOMPARE(received, bytes);
    // Nothing comes back: a line that echoes would confuse every reply.
    QCOMPARE(terminal.receive(1, 100), std::string());
}

void TestSerialPort::countsAndPurgesWaitingBytes() {
    PseudoTerminal terminal;
    SerialPort port;
    QVERIFY(port.open(terminal.slavePath()));
    QCOMPARE(port.bytesWaiting(), 0L);
    char nothing[8];
    QCOMPARE(port.read(nothing, sizeof nothing), 0L);
    QVERIFY(!port.waitReadable(20));

    QVERIFY(terminal.send("0123456789"));
    QVERIFY(port.waitReadable(5000));
    QVERIFY(waitForWaiting(port, 10));

    char two[2] = {};
    QCOMPARE(port.read(two, sizeof two), 2L);
    QCOMPARE(std::string(two, 2), std::string("01"));
    QCOMPARE(port.bytesWaiting(), 8L);

    QVERIFY(port.purgeReceive());
    QCOMPARE(port.bytesWaiting(), 0L);
    char rest[16];
    QCOMPARE(port.read(rest, sizeof rest), 0L);
}

void TestSerialPort::largeWriteCompletes() {
    PseudoTerminal terminal;
    SerialPort port;
    QVERIFY(port.open(terminal.slavePath()));
    // Far more than a pseudo-terminal buffers, so the write must wait and resume.
    std::string bytes;
    for (int i = 0; i < 256 * 1024; ++i) {
        bytes.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    }
    std::string received;
    std::thread drain([&] { received = terminal.receive(bytes.size(), 30000); });
    const long written = port.write(bytes.data(), bytes.size());
    drain.join();
    QCOMPARE(written, long(bytes.size()));
    QVERIFY(received == bytes);
}

void TestSerialPort::secondOpenOfOneDeviceFails() {
    PseudoTerminal terminal;
    SerialPort first;
    SerialPort second;
    QVERIFY(first.open(terminal.slavePath()));
    QVERIFY(!second.open(terminal.slavePath()));
    QCOMPARE(second.lastFailure(), SerialFailure::Busy);
    QVERIFY(!second.isOpen());
    QVERIFY(heldForAnotherProcess(terminal.slavePath()));

    // The first open is untouched by the failed one.
    QCOMPARE(first.write("ok", 2), 2L);
    QCOMPARE(terminal.receive(2), std::string("ok"));
}

void TestSerialPort::deviceHeldElsewhereIsBusy() {
    PseudoTerminal terminal;
    const int holder = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(holder >= 0);
    QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);

    SerialPort port;
    QVERIFY(!port.open(terminal.slavePath()));
    QCOMPARE(port.lastFailure(), SerialFailure::Busy);

    ::close(holder);
    QVERIFY(port.open(terminal.slavePath()));
}

void TestSerialPort::closeThenReopen() {
    PseudoTerminal terminal;
    SerialPort first;
    QVERIFY(first.open(terminal.slavePath()));
    first.close();
    QVERIFY(!first.isOpen());
    QVERIFY(!heldForAnotherProcess(terminal.slavePath()));

    SerialPort second;
    QVERIFY2(second.open(terminal.slavePath()), second.lastError().c_str());
    QVERIFY(!first.open(terminal.slavePath()));
    second.close();
    QVERIFY(first.open(terminal.slavePath()));
    QCOMPARE(first.write("x", 1), 1L);
    QCOMPARE(terminal.receive(1), std::string("x"));
}

void TestSerialPort::exclusiveForOtherUsersUntilClosed() {
    if (::geteuid() != 0) {
        QSKIP("needs root to act as another user");
    }
    constexpr uid_t kNobody = 65534;
    PseudoTerminal terminal;
    QCOMPARE(::chmod(terminal.slavePath().c_str(), 0666), 0);
    SerialPort port;
    QVERIFY(port.open(terminal.slavePath()));
    QVERIFY(heldForAnotherProcess(terminal.slavePath(), kNobody));
    // The device's exclusive mode must not outlive the port.
    port.close();
    QVERIFY(!heldForAnotherProcess(terminal.slavePath(), kNobody));
}

void TestSerialPort::missingDeviceOrNoTerminalFailsCleanly() {
    SerialPort port;
    QVERIFY(!port.open("/nonexistent/ttyMissing0"));
    QCOMPARE(port.lastFailure(), SerialFailure::NoDevice);
    QVERIFY(!port.isOpen());
    QVERIFY(!port.lastError().empty());

    LineSettings settings;
    char byte = 0;
    QVERIFY(!port.getSettings(settings));
    QVERIFY(!port.setSettings(settings));
    QCOMPARE(port.write("x", 1), -1L);
    QCOMPARE(port.read(&byte, 1), -1L);
    QCOMPARE(port.bytesWaiting(), -1L);
    QVERIFY(!port.waitReadable(0));
    QVERIFY(!port.purgeReceive());

    QVERIFY(!port.open("/dev/null"));
    QCOMPARE(port.lastFailure(), SerialFailure::Settings);
    QVERIFY(!port.isOpen());
}

QTEST_APPLESS_MAIN(TestSerialPort)
#include "test_serialport.moc"
