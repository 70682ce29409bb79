#include "ControlClient.h"
#include "Deframer.h"
#include "IsoLayout.h"
#include "RequestFrames.h"
#include "StationLine.h"
#include "WireFrame.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using platform::LineSettings;
using platform::Parity;
using platform::SerialPort;

namespace {

const LineSettings kReaderLine{38400, 8, Parity::Even, 1};

// What the station heard after one request.
struct Heard {
    std::size_t bytes = 0;
    std::optional<wire::Frame> reply;
    std::size_t crcErrors = 0;
};

// Sends the request and listens until a reply frame comes or waitMs has passed; with
// untilAnyBytes also once some bytes came and the line has gone quiet after them.
Heard ask(SerialPort& port, const wire::Frame& request, int waitMs, bool untilAnyBytes = false) {
    Heard heard;
    port.purgeReceive();
    const auto bytes = wire::encode(wire::FrameKind::Request, request);
    if (!bytes || port.write(bytes->data(), bytes->size()) != long(bytes->size())) {
        return heard;
    }
    wire::Deframer deframer(wire::FrameKind::Reply);
    listenOn(port, waitMs, untilAnyBytes, [&](const std::uint8_t* chunk, std::size_t count) {
        heard.bytes += count;
        deframer.feed(chunk, count);
        heard.reply = deframer.next();
        return heard.reply.has_value();
    });
    heard.crcErrors = deframer.crcErrors();
    return heard;
}

// One control line over the socket: the answer's lines, the final "ok" or "error: ..." last.
QStringList control(const QString& socketPath, const QString& line) {
    const emulator::ControlClient client(socketPath.toStdString(),
                                         std::chrono::milliseconds(kGenerousMs));
    QStringList answer;
    for (const std::string& answerLine : client.send(line.toStdString()).lines) {
        answer << QString::fromStdString(answerLine);
    }
    return answer;
}

} // namespace

class TestReaderEmulator : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void answersGetBaudOnlyAtItsOwnLine();
    void inventoryShowsPlacedTransponders();
    void faults_data();
    void faults();
    void hangupGivesANewTerminalBehindTheSameName();
    void endOfInputKeepsServingAndTermRemovesTheLink();

private:
    bool start(const QStringList& extra = {});
    // The slave path of the ready line number `count`, once it is there.
    QString waitForReady(int count);
    QString linkPath() const { return dir_->filePath("dosdevices/com1"); }
    QString socketPath() const { return dir_->filePath("control.sock"); }
    bool openStation(SerialPort& port, const LineSettings& line = kReaderLine) {
        return port.open(linkPath().toStdString()) && port.setSettings(line);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QProcess> process_;
    QByteArray output_;
};

void TestReaderEmulator::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestReaderEmulator::cleanup() {
    if (process_) {
        process_->terminate();
        process_->waitForFinished(kGenerousMs);
        process_.reset();
    }
    dir_.reset();
    output_.clear();
}

bool TestReaderEmulator::start(const QStringList& extra) {
    process_ = std::make_unique<QProcess>();
    process_->setProgram(QCoreApplication::applicationDirPath() + "/reader-emulator");
    process_->setArguments(QStringList{"--no-delays", "--dir", dir_->path(), "--control",
                                       socketPath(), "--catalogue",
                                       STATION_SOURCE_DIR "/data/transponders.tsv"} +
                           extra);
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start();
    return process_->waitForStarted(kGenerousMs) && !waitForReady(1).isEmpty();
}

QString TestReaderEmulator::waitForReady(int count) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kGenerousMs);
    for (;;) {
        output_ += process_->readAllStandardOutput();
        QStringList ready;
        for (const QByteArray& line : output_.split('\n')) {
            if (line.startsWith("ready ")) {
                ready << QString::fromLocal8Bit(line.mid(6));
            }
        }
        if (ready.size() >= count) {
            return ready[count - 1];
        }
        if (Clock::now() > deadline || process_->state() == QProcess::NotRunning) {
            return {};
        }
        process_->waitForReadyRead(50);
    }
}

void TestReaderEmulator::answersGetBaudOnlyAtItsOwnLine() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    Heard heard = ask(port, getBaud(), kGenerousMs);
    QVERIFY(heard.reply);
    QCOMPARE(heard.reply->status, 0x00);
    QCOMPARE(heard.reply->data, wire::Bytes{2});

    QVERIFY(port.setSettings({9600, 8, Parity::Even, 1}));
    QCOMPARE(ask(port, getBaud(), kSilenceMs).bytes, std::size_t{0});
    QVERIFY(port.setSettings({38400, 8, Parity::Odd, 1}));
    QCOMPARE(ask(port, getBaud(), kSilenceMs).bytes, std::size_t{0});
    QVERIFY(port.setSettings({38400, 8, Parity::None, 1}));
    QCOMPARE(ask(port, getBaud(), kSilenceMs).bytes, std::size_t{0});

    QCOMPARE(control(socketPath(), "rate 9600"), QStringList{"ok"});
    QCOMPARE(control(socketPath(), "frame 8N1"), QStringList{"ok"});
    QVERIFY(port.setSettings({9600, 8, Parity::None, 1}));
    heard = ask(port, getBaud(), kGenerousMs);
    QVERIFY(heard.reply);
    QCOMPARE(heard.reply->data, wire::Bytes{4});
}

void TestReaderEmulator::inventoryShowsPlacedTransponders() {
    const QString script = dir_->filePath("start.txt");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# one on the reader from the start\nplace E004010012345678\n");
    file.close();
    QVERIFY(start({"--script", script}));
    SerialPort port;
    QVERIFY(openStation(port));

    QCOMPARE(control(socketPath(), "place E007000012A4C5F6"), QStringList{"ok"});
    const QStringList listed = control(socketPath(), "list");
    QCOMPARE(listed.size(), 3);
    QVERIFY(listed[1].startsWith("E007000012A4C5F6 type 01 blocks 8 size 4 drug "));

    const Heard heard = ask(port, inventory(), kGenerousMs);
    QVERIFY(heard.reply);
    QVERIFY(heard.reply->status == 0x00 || heard.reply->status == 0x84);
    const wire::Bytes& data = heard.reply->data;
    QCOMPARE(data.size(), std::size_t{21});
    QCOMPARE(data[0], 2);
    // Slot 6 comes before slot 8.
    QCOMPARE(data[1], 0x01);
    QCOMPARE(iso::uidFromWire(wire::Bytes(data.begin() + 3, data.begin() + 11)),
             (wire::Bytes{0xE0, 0x07, 0x00, 0x00, 0x12, 0xA4, 0xC5, 0xF6}));
    QCOMPARE(iso::uidFromWire(wire::Bytes(data.begin() + 13, data.end())),
             (wire::Bytes{0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56, 0x78}));

    QCOMPARE(control(socketPath(), "clear"), QStringList{"ok"});
    const Heard none = ask(port, inventory(), kGenerousMs);
    QVERIFY(none.reply);
    QCOMPARE(none.reply->status, 0x83);
    QCOMPARE(none.reply->data, wire::Bytes{0});
}

void TestReaderEmulator::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("anyBytes");
    QTest::addColumn<bool>("replyFound");
    QTest::addColumn<int>("minimumMs");
    QTest::newRow("silence") << "silence" << false << false << 0;
    QTest::newRow("garbage") << "garbage" << true << false << 0;
    QTest::newRow("noise") << "noise" << true << true << 0;
    QTest::newRow("badcrc") << "badcrc" << true << false << 0;
    QTest::newRow("short") << "short" << true << false << 0;
    QTest::newRow("slow") << "slow 300" << true << true << 300;
}

void TestReaderEmulator::faults() {
    QFETCH(QString, fault);
    QFETCH(bool, anyBytes);
    QFETCH(bool, replyFound);
    QFETCH(int, minimumMs);
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QCOMPARE(control(socketPath(), "fault " + fault), QStringList{"ok"});

    const auto sent = Clock::now();
    const Heard heard = ask(port, getBaud(), anyBytes ? kGenerousMs : kSilenceMs, anyBytes);
    const auto elapsed = Clock::now() - sent;
    QCOMPARE(heard.bytes > 0, anyBytes);
    QCOMPARE(heard.reply.has_value(), replyFound);
    if (heard.reply) {
        QCOMPARE(heard.reply->data, wire::Bytes{2});
    }
    QVERIFY(elapsed >= std::chrono::milliseconds(minimumMs));
    if (fault == "badcrc") {
        QVERIFY(heard.crcErrors > 0);
    }
    if (fault == "noise") {
        QVERIFY(heard.bytes > 8);
    }

    QCOMPARE(control(socketPath(), "fault none"), QStringList{"ok"});
    QVERIFY(ask(port, getBaud(), kGenerousMs).reply);
}

void TestReaderEmulator::hangupGivesANewTerminalBehindTheSameName() {
    QVERIFY(start());
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(ask(port, getBaud(), kGenerousMs).reply);
    // The station closing and reopening its port is no hang-up.
    port.close();
    QVERIFY(openStation(port));
    QVERIFY(ask(port, getBaud(), kGenerousMs).reply);

    QCOMPARE(control(socketPath(), "fault hangup"), QStringList{"ok"});
    const QString second = waitForReady(2);
    QVERIFY(!second.isEmpty());
    QCOMPARE(QFile::symLinkTarget(linkPath()), second);
    QVERIFY(!ask(port, getBaud(), kSilenceMs).reply);

    port.close();
    QVERIFY(openStation(port));
    const Heard heard = ask(port, getBaud(), kGenerousMs);
    QVERIFY(heard.reply);
    QCOMPARE(heard.reply->data, wire::Bytes{2});
}

void TestReaderEmulator::endOfInputKeepsServingAndTermRemovesTheLink() {
    QVERIFY(start());
    process_->closeWriteChannel();
    SerialPort port;
    QVERIFY(openStation(port));
    QVERIFY(ask(port, getBaud(), kGenerousMs).reply);
    const QStringList status = control(socketPath(), "status");
    QVERIFY(status.contains("line 38400 8E1"));
    QVERIFY(status.contains("host 38400 8E1"));
    QVERIFY(status.contains("delays off"));
    QCOMPARE(status.last(), QString("ok"));

    process_->terminate();
    QVERIFY(process_->waitForFinished(kGenerousMs));
    QCOMPARE(process_->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process_->exitCode(), 0);
    QVERIFY(!QFileInfo::exists(linkPath()) && QFile::symLinkTarget(linkPath()).isEmpty());
    QVERIFY(!QFileInfo::exists(socketPath()));
    process_.reset();
}

QTEST_GUILESS_MAIN(TestReaderEmulator)
#include "test_readeremulator.moc"
