#include "PseudoTerminal.h"
#include "WireFrame.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

// Replies a real reader could send but the emulator never does, from a pseudo-terminal that
// stands where the reader would be.
class TestReplyValidation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void repliesAreChecked_data();
    void repliesAreChecked();
    void strayBytesPutOffTheRequest();

private:
    QString previousDirectory_;
    std::unique_ptr<QTemporaryDir> directory_;
    PseudoTerminal reader_;
    int32_t port_ = 0;
    int32_t handle_ = 0;
};

void TestReplyValidation::initTestCase() {
    previousDirectory_ = QDir::currentPath();
    directory_ = std::make_unique<QTemporaryDir>();
    QVERIFY(directory_->isValid());
    QVERIFY(QDir::setCurrent(directory_->path()));
    QVERIFY(QDir().mkdir("dosdevices"));
    QVERIFY(reader_.isValid());
    QVERIFY(QFile::link(QString::fromStdString(reader_.slavePath()), "dosdevices/com1"));
    port_ = ZQCOM_OpenPort("1");
    QVERIFY(port_ > 0);
    handle_ = ZQKRT_NewReader(0);
    QVERIFY(handle_ > 0);
    QCOMPARE(ZQKRT_SetReaderPara(handle_, "PortHnd", std::to_string(port_).c_str()), ZQKRT_OK);
    QCOMPARE(ZQCOM_SetPortPara(port_, "TimeOut", "5000"), ZQCOM_OK);
}

void TestReplyValidation::cleanupTestCase() {
    ZQCOM_ClosePort(port_);
    QDir::setCurrent(previousDirectory_);
}

void TestReplyValidation::repliesAreChecked_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("replyStatus");
    QTest::addColumn<QByteArray>("replyData");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("response");

    const QByteArray entry = QByteArray::fromHex("0300"
                                                 "78563412000104E0");
    QTest::newRow("rate") << 0x52 << 0x00 << QByteArray::fromHex("02") << 0 << QByteArray();
    QTest::newRow("rate missing") << 0x52 << 0x00 << QByteArray() << int(ZQKRT_ERR_FRAMING)
                                  << QByteArray();
    QTest::newRow("rate unknown") << 0x52 << 0x00 << QByteArray::fromHex("08")
                                  << int(ZQKRT_ERR_FRAMING) << QByteArray();
    QTest::newRow("rate refused") << 0x52 << 0x01 << QByteArray() << 0x01 << QByteArray();
    QTest::newRow("field was off") << 0x69 << 0x84 << QByteArray() << 0x84 << QByteArray();
    QTest::newRow("reset with data")
        << 0x69 << 0x00 << QByteArray::fromHex("00") << int(ZQKRT_ERR_FRAMING) << QByteArray();
    QTest::newRow("inventory, serial turned")
        << 0xB0 << 0x94 << QByteArray::fromHex("01") + entry << 0x94
        << QByteArray::fromHex("010300E004010012345678");
    QTest::newRow("inventory count too high") << 0xB0 << 0x00 << QByteArray::fromHex("02") + entry
                                              << int(ZQKRT_ERR_FRAMING) << QByteArray();
    QTest::newRow("request refused")
        << 0xB0 << 0x02 << QByteArray::fromHex("0102") << 0x02 << QByteArray();
}

void TestReplyValidation::repliesAreChecked() {
    QFETCH(int, command);
    QFETCH(int, replyStatus);
    QFETCH(QByteArray, replyData);
    QFETCH(int, status);
    QFETCH(QByteArray, response);

    const std::uint8_t inventory[] = {0x01, 0x00};
    std::uint8_t buffer[ZQKRT_RESPONSE_BUFFER_SIZE];
    int32_t length = -1;
    int32_t result = 0;
    std::thread host([&] {
        if (command == 0x52) {
            result = ZQKRT_0x52_GetBaud(handle_, 255);
        } else if (command == 0x69) {
            result = ZQKRT_0x69_RFReset(handle_, 255);
        } else {
            result = ZQKRT_0xB0_ISOCmd(handle_, 255, inventory, 2, buffer, &length, 0);
        }
    });
    const std::size_t requestBytes = command == 0xB0 ? 8 : 6;
    const bool requestCame = reader_.receive(requestBytes).size() == requestBytes;
    wire::Frame reply{0, static_cast<std::uint8_t>(command), static_cast<std::uint8_t>(replyStatus),
                      wire::Bytes(replyData.begin(), replyData.end())};
    const wire::Bytes bytes = wire::encode(wire::FrameKind::Reply, reply).value_or(wire::Bytes{});
    reader_.send(std::string(bytes.begin(), bytes.end()));
    host.join();
    QVERIFY(requestCame);
    QCOMPARE(result, status);
    if (command == 0xB0) {
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer), length), response);
    }
}

// Bytes that arrive while a request waits for the line to fall quiet start the pause again, and
// are not taken for the request's reply.
void TestReplyValidation::strayBytesPutOffTheRequest() {
    const int pauseMs = 1000;
    QCOMPARE(ZQCOM_SetPortPara(port_, "TxTimeControl", "1"), ZQCOM_OK);
    QCOMPARE(ZQCOM_SetPortPara(port_, "TxDelayTime", std::to_string(pauseMs).c_str()), ZQCOM_OK);
    const wire::Bytes bytes =
        wire::encode(wire::FrameKind::Reply, {0, 0x52, 0x00, {0x02}}).value_or(wire::Bytes{});
    const std::string reply(bytes.begin(), bytes.end());
    // A rate query, answered; with stray, a reply 300 ms into its pause after the last one.
    // Gives the time from the stray bytes (or the start) to the request, -1 when it fails.
    auto getBaud = [&](bool stray) -> qint64 {
        std::atomic<int32_t> result{-1};
        std::thread host([&] { result = ZQKRT_0x52_GetBaud(handle_, 255); });
        if (stray)
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QElapsedTimer sinceStray;
        sinceStray.start();
        if (stray)
            reader_.send(reply);
        const bool requestCame = reader_.receive(6).size() == 6;
        const qint64 elapsed = sinceStray.elapsed();
        reader_.send(reply);
        host.join();
        return requestCame && result == 0 ? elapsed : -1;
    };
    QVERIFY(getBaud(false) >= 0);
    const qint64 quietMs = getBaud(true);
    QVERIFY2(quietMs >= pauseMs, qPrintable(QString::number(quietMs)));
}

QTEST_GUILESS_MAIN(TestReplyValidation)
#include "test_replyvalidation.moc"
