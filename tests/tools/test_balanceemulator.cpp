#include "BalanceReadingText.h"
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

// Listens until line came whole, or waitMs passed.
bool hears(SerialPort& port, const QByteArray& line, int waitMs) {
    QByteArray heard;
    listenOn(port, waitMs, false, [&](const std::uint8_t* bytes, std::size_t count) {
        heard.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
        return heard.contains(line);
    });
    return heard.contains(line);
}

// A row of weightLines: the dialect, the commands, the line a request gets and how the station
// reads it.
void dialectRow(const balance::BalanceDialect& dialect, const char* name,
                const QStringList& commands, const QByteArray& request, const QByteArray& line,
                const char* reading, bool evenParity = true) {
    QTest::addRow("%s: %s", std::string(dialect.name).c_str(), name)
        << &dialect << commands << evenParity << request << line << QString(reading);
}

void lineRow(const char* name, const QStringList& commands, const QByteArray& line,
             const char* reading, const QByteArray& request = "Q\r\n", bool evenParity = true) {
    dialectRow(balance::kStationDialect, name, commands, request, line, reading, evenParity);
}

} // namespace

Q_DECLARE_METATYPE(const balance::BalanceDialect*)

class TestBalanceEmulator : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void weightLines_data();
    void weightLines();
    void otherLinesAndRefusedValuesChangeNothing();
    void tareAndZeroTakeWhatIsOnThePan();
    void continuousOutputFollowsTheReading();
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
    QTest::addColumn<const balance::BalanceDialect*>("dialect");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("evenParity");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("reading");
    lineRow("at start", {}, "ST,+00000.00  g\r\n", "stable 0 g");
    lineRow("terminal window", {"weight 12.34"}, "ST,+00012.34  g\r\n", "stable 123400 g");
    lineRow("polling link, unstable, negative", {"weight -3.5", "stable off"},
            "US,-00003.50  g\r\n", "unstable -35000 g", "PRT\r\n", false);
    lineRow("largest at 2 decimals", {"weight +99999.99", "STABLE ON"}, "ST,+99999.99  g\r\n",
            "stable 999999900 g", "PRT\r\n");
    lineRow("four decimals", {"decimals 4", "weight 12.3456"}, "ST,+012.3456  g\r\n",
            "stable 123456 g");
    lineRow("four decimals widen the value", {"weight -99999.9999", "decimals 4"},
            "ST,-99999.9999  g\r\n", "stable -999999999 g");
    lineRow("rounded to the decimals shown", {"weight 1.2345", "decimals 3"}, "ST,+0001.235  g\r\n",
            "stable 12350 g");
    lineRow("rounded to zero is positive", {"weight -0.04", "decimals 1"}, "ST,+000000.0  g\r\n",
            "stable 0 g");
    lineRow("milligrams, no decimals", {"unit MG", "decimals 0", "weight 1234"},
            "ST,+00001234 mg\r\n", "stable 12340000 mg");
    lineRow("carats, unstable", {"unit ct", "weight 5", "stable off"}, "US,+00005.00 ct\r\n",
            "unstable 50000 ct");
    lineRow("pieces", {"unit pcs", "decimals 0", "weight 12"}, "ST,+00000012pcs\r\n",
            "stable 120000 pcs");
    lineRow("overload, negative", {"weight -5", "overload on", "stable off"}, "OL,-9999999E+19\r\n",
            "overload 0");

    const balance::BalanceDialect& sics = balance::kSicsDialect;
    dialectRow(sics, "stable", {"weight 12.34"}, "SI\r\n", "S S      12.34 g\r\n",
               "stable 123400 g");
    dialectRow(sics, "moving, negative", {"weight -3.5", "stable off"}, "SI\r\n",
               "S D      -3.50 g\r\n", "unstable -35000 g");
    dialectRow(sics, "milligrams, four decimals", {"unit mg", "decimals 4", "weight 1.5"}, "S\r\n",
               "S S     1.5000 mg\r\n", "stable 15000 mg");
    dialectRow(sics, "overload", {"overload on"}, "SI\r\n", "S +\r\n", "overload 0");
    dialectRow(sics, "underload", {"underload on"}, "SI\r\n", "S -\r\n", "underload 0");
    dialectRow(sics, "tared", {"weight 5"}, "T\r\nSI\r\n", "S S       0.00 g\r\n", "stable 0 g");
    dialectRow(sics, "another dialect's request", {}, "PRT\r\n", "ES\r\n", "none 0");

    const balance::BalanceDialect& sbi = balance::kSbiDialect;
    dialectRow(sbi, "stable", {"weight 12.34"},
               "\x1b"
               "P",
               "+    12.34 g  \r\n", "stable 123400 g");
    dialectRow(sbi, "moving: no unit", {"weight -3.5", "stable off"},
               "\x1b"
               "P\r\n",
               "-     3.50    \r\n", "unstable -35000");
    dialectRow(sbi, "pieces", {"unit pcs", "decimals 0", "weight 12"},
               "\x1b"
               "P",
               "+       12 pcs\r\n", "stable 120000 pcs");
    dialectRow(sbi, "overload", {"overload on"},
               "\x1b"
               "P",
               "+     High    \r\n", "overload 0");
    dialectRow(sbi, "underload", {"underload on"},
               "\x1b"
               "P",
               "-      Low    \r\n", "underload 0");
    dialectRow(sbi, "tared", {"weight 5"},
               "\x1b"
               "T\x1b"
               "P",
               "+     0.00 g  \r\n", "stable 0 g");
}

void TestBalanceEmulator::weightLines() {
    QFETCH(const balance::BalanceDialect*, dialect);
    QFETCH(QStringList, commands);
    QFETCH(bool, evenParity);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, line);
    QFETCH(QString, reading);
    QVERIFY(
        start({"--no-delays", "--port", "COM2", "--dialect", QString::fromLatin1(dialect->name)},
              "com2"));
    for (const QString& command : commands) {
        QVERIFY2(emulator_.command(command), qPrintable(command));
    }
    SerialPort port;
    QVERIFY(openStation(port, evenParity ? kTerminalLine : kPollingLine));
    QCOMPARE(ask(port, request, kGenerousMs, line.size()), line);
    // A second request gets the same line: nothing is left over from the first.
    QCOMPARE(ask(port, request, kGenerousMs, line.size()), line);
    QCOMPARE(readingText(line, *dialect), reading);
}

void TestBalanceEmulator::otherLinesAndRefusedValuesChangeNothing() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(emulator_.command("weight 7.5"));
    for (const char* refused :
         {"weight 100000", "weight -100000.00", "weight 1.23456", "weight 12,5", "weight .5",
          "weight 5.", "weight", "stable maybe", "overload", "unit lb", "unit g mg", "decimals 5",
          "decimals -1", "decimals 02", "mode stream", "fault fire", "tare"}) {
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
    for (const char* line : {"stable on", "tare 0.00", "overload off", "unit g", "decimals 2",
                             "mode request", "fault none", "underload off", "dialect station"}) {
        QVERIFY2(status.contains(line), line);
    }
    QVERIFY(status.contains("requests 1"));
    QVERIFY(status.contains("ignored 2"));
    QCOMPARE(status.last(), QString("ok"));
}

void TestBalanceEmulator::tareAndZeroTakeWhatIsOnThePan() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(emulator_.command("weight 12.34"));
    QCOMPARE(ask(port, "T\r\nQ\r\n", kGenerousMs), QByteArray("ST,+00000.00  g\r\n"));
    QVERIFY(emulator_.command("weight 20"));
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs), QByteArray("ST,+00007.66  g\r\n"));
    QVERIFY(emulator_.control("status").contains("tare 12.34"));
    // The pan emptied reads below zero until it is zeroed.
    QVERIFY(emulator_.command("weight 0"));
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs), QByteArray("ST,-00012.34  g\r\n"));
    QCOMPARE(ask(port, "Z\r\nQ\r\n", kGenerousMs), QByteArray("ST,+00000.00  g\r\n"));
    QVERIFY(emulator_.control("status").contains("ignored 0"));
}

// Unasked lines every 100 ms or so, each whole, following the reading; a balance asked again
// is silent until asked.
void TestBalanceEmulator::continuousOutputFollowsTheReading() {
    QVERIFY(start({}));
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(emulator_.command("weight 1.5"));
    const QByteArray first("ST,+00001.50  g\r\n");
    const auto switched = Clock::now();
    QVERIFY(emulator_.command("mode continuous"));
    QCOMPARE(listen(port, kGenerousMs, 3 * kLineBytes).left(3 * kLineBytes), first + first + first);
    // Two periods, then the third line's own time on the line.
    QVERIFY(Clock::now() - switched >= std::chrono::milliseconds(250));

    QVERIFY(emulator_.command("weight -2"));
    QVERIFY(emulator_.command("stable off"));
    const QByteArray second("US,-00002.00  g\r\n");
    QVERIFY(hears(port, second, kGenerousMs));
    // Requests are still answered, in turn with the unasked lines.
    QCOMPARE(port.write("Q\r\n", 3), 3L);
    QTRY_VERIFY_WITH_TIMEOUT(emulator_.control("status").contains("requests 1"), kGenerousMs);

    QVERIFY(emulator_.command("mode request"));
    listen(port, kSilenceMs, 1 << 16); // a line on its way when the mode changed
    QVERIFY(listen(port, kSilenceMs, 1).isEmpty());
    QCOMPARE(ask(port, "Q\r\n", kGenerousMs), second);
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
