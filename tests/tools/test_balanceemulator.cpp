#include "ReaderEmulatorProcess.h"
#include "StationLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using platform::LineSettings;
using platform::Parity;
using platform::SerialPort;

namespace {

constexpr qsizetype kLineBytes = 17;
constexpr long kStationLimit = 2048;

const LineSettings kTerminalLine{2400, 7, Parity::Even, 1};
const LineSettings kPollingLine{2400, 7, Parity::None, 1};

// Collects what comes: until `enough` bytes came, the line went quiet after some bytes, or
// waitMs passed.
QByteArray listen(SerialPort& port, int waitMs, qsizetype enough) {
    QByteArray heard;
    listenOn(port, waitMs, true, [&](const std::uint8_t* bytes, std::size_t count) {
        heard.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
        return heard.size() >= enough;
    });
    return heard;
}

// Sends request and collects the answer to it.
QByteArray ask(SerialPort& port, const QByteArray& request, int waitMs,
               qsizetype enough = kLineBytes) {
    port.purgeReceive();
    if (port.write(request.constData(), static_cast<std::size_t>(request.size())) !=
        request.size()) {
        return {};
    }
    return listen(port, waitMs, enough);
}

} // namespace

class TestBalanceEmulator : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void weightLines_data();
    void weightLines();
    void otherLinesAndRefusedValuesChangeNothing();
    void faults_data();
    void faults();
    void answersTakeTheLineTime();
    void hangupThenEndRemovesLinkAndSocket();

private:
    bool start(const QStringList& extra = {"--no-delays"}, const QString& port = "com1") {
        QString error;
        linkPath_ = dir_->filePath("dosdevices/" + port);
        const bool started =
            emulator_.start(QCoreApplication::applicationDirPath() + "/balance-emulator",
                            dir_->path(), extra, error);
        if (!started) {
            qWarning() << error;
        }
        return started;
    }
    bool openStation(SerialPort& port, const LineSettings& line = kTerminalLine) {
        return port.open(linkPath_.toStdString()) && port.setSettings(line);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    ReaderEmulatorProcess emulator_;
    QString linkPath_;
};

void TestBalanceEmulator::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestBalanceEmulator::cleanup() {
    emulator_.stop();
    dir_.reset();
}

void TestBalanceEmulator::weightLines_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("evenParity");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("at start") << QStringList{} << true << QByteArray("Q\r\n")
                              << QByteArray("ST,+00000.00  g\r\n");
    QTest::newRow("terminal window") << QStringList{"weight 12.34"} << true << QByteArray("Q\r\n")
                                     << QByteArray("ST,+00012.34  g\r\n");
    QTest::newRow("polling link, unstable, negative")
        << QStringList{"weight -3.5", "stable off"} << false << QByteArray("PRT\r\n")
        << QByteArray("US,-00003.50  g\r\n");
    QTest::newRow("largest") << QStringList{"weight +99999.99", "STABLE ON"} << true
                             << QByteArray("PRT\r\n") << QByteArray("ST,+99999.99  g\r\n");
}

void TestBalanceEmulator::weightLines() {
    QFETCH(QStringList, commands);
    QFETCH(bool, evenParity);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, line);
    QVERIFY(start({"--no-delays", "--port", "COM2"}, "com2"));
    for (const QString& command : commands) {
        QVERIFY2(emulator_.command(command), qPrintable(command));
    }
    SerialPort port;
    QVERIFY(openStation(port, evenParity ? kTerminalLine : kPollingLine));
    QCOMPARE(ask(port, request, kGenerousMs), line);
    // A second request gets the same line: nothing is left over from the first.
    QCOMPARE(ask(port, request, kGenerousMs), line);
}

void TestBalanceEmulator::otherLinesAndRefusedValuesChangeNothing() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(emulator_.command("weight 7.5"));
    for (const char* refused :
         {"weight 100000", "weight -100000.00", "weight 1.234", "weight 12,5", "weight .5",
          "weight 5.", "weight", "stable maybe", "fault fire", "tare"}) {
        const QStringList answer = emulator_.control(refused);
        QVERIFY2(!answer.isEmpty() && answer.last().startsWith("error: "), qPrintable(refused));
    }
    QVERIFY(ask(port, "Q\n", kSilenceMs).isEmpty());
    QVERIFY(ask(port, "q\r\n", kSilenceMs).isEmpty());
    QVERIFY(ask(port, "Q PRT\r\n", kSilenceMs).isEmpty());
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs), QByteArray("ST,+00007.50  g\r\n"));

    const QStringList status = emulator_.control("status");
    QVERIFY(status.contains("host 2400 parity even"));
    QVERIFY(status.contains("weight 7.50"));
    QVERIFY(status.contains("stable on"));
    QVERIFY(status.contains("fault none"));
    QVERIFY(status.contains("requests 1"));
    QVERIFY(status.contains("ignored 2"));
    QCOMPARE(status.last(), QString("ok"));
}

void TestBalanceEmulator::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("silence") << "silence";
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("zeros") << "zeros";
    QTest::newRow("flood") << "flood";
}

void TestBalanceEmulator::faults() {
    QFETCH(QString, fault);
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port, kPollingLine));
    QVERIFY(emulator_.command("weight 12.34"));
    QVERIFY(emulator_.command("fault " + fault));
    const QByteArray line("ST,+00012.34  g\r\n");

    if (fault == "silence") {
        QVERIFY(ask(port, "PRT\r\n", kSilenceMs).isEmpty());
    } else if (fault == "garbage") {
        const QByteArray heard = ask(port, "PRT\r\n", kGenerousMs);
        QCOMPARE(heard.size(), line.size());
        QVERIFY(heard != line);
        for (const char byte : heard) {
            QVERIFY(byte >= 0x20 && byte <= 0x7E);
        }
    } else if (fault == "zeros") {
        const QByteArray heard = ask(port, "PRT\r\n", kGenerousMs);
        QCOMPARE(heard.size(), line.size());
        QCOMPARE(heard.indexOf('\0'), 2);
        QCOMPARE(heard.mid(3), line.mid(3));
    } else {
        port.purgeReceive();
        QCOMPARE(port.write("PRT\r\n", 5), 5L);
        // The station finds all of it waiting at once, more than it takes.
        QTRY_VERIFY_WITH_TIMEOUT(port.bytesWaiting() > kStationLimit, kGenerousMs);
        const QByteArray heard = listen(port, kGenerousMs, 1 << 16);
        QVERIFY(heard.size() > kStationLimit);
        QVERIFY(heard.startsWith(line) && heard.endsWith(line));
    }

    QVERIFY(emulator_.command("fault none"));
    QCOMPARE(ask(port, "PRT\r\n", kGenerousMs), line);
}

void TestBalanceEmulator::answersTakeTheLineTime() {
    QVERIFY(start({}));
    SerialPort port;
    QVERIFY(openStation(port));
    const auto sent = Clock::now();
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs), QByteArray("ST,+00000.00  g\r\n"));
    // 3 + 17 characters of 10 bits at 2400 baud: about 83 ms.
    QVERIFY(Clock::now() - sent >= std::chrono::milliseconds(80));
}

void TestBalanceEmulator::hangupThenEndRemovesLinkAndSocket() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs).size(), kLineBytes);
    const QString first = QFile::symLinkTarget(linkPath_);

    QVERIFY(emulator_.command("fault hangup"));
    QVERIFY(port.waitReadable(kGenerousMs));
    // Readable without a byte to read, and nothing goes out: the line is hung up.
    char byte = 0;
    QVERIFY(port.read(&byte, 1) <= 0);
    QCOMPARE(port.write("Q\r\n", 3), -1L);
    QVERIFY(QFile::symLinkTarget(linkPath_) != first);

    port.close();
    QVERIFY(openStation(port));
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs).size(), kLineBytes);

    emulator_.stop();
    QVERIFY(!QFileInfo::exists(linkPath_) && QFile::symLinkTarget(linkPath_).isEmpty());
    QVERIFY(!QFileInfo::exists(dir_->filePath("control.sock")));
}

QTEST_GUILESS_MAIN(TestBalanceEmulator)
#include "test_balanceemulator.moc"
