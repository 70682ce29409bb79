#include "WireFrame.h"

#include <QTest>

using wire::Bytes;
using wire::Frame;
using wire::FrameKind;

namespace {

Bytes fromHex(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

QByteArray toHex(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper();
}

} // namespace

class TestWireFrame : public QObject {
    Q_OBJECT

private slots:
    void crcValues_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("crc");
        QTest::newRow("check value") << QByteArray("123456789") << 0x6F91;
        // No final XOR: nothing in, the initial value out.
        QTest::newRow("empty") << QByteArray() << 0xFFFF;
        QTest::newRow("one zero byte") << QByteArray(1, '\0') << 0x0F87;
    }
    void crcValues() {
        QFETCH(QByteArray, input);
        QFETCH(int, crc);
        QCOMPARE(wire::crc16(reinterpret_cast<const std::uint8_t*>(input.constData()),
                             std::size_t(input.size())),
                 crc);
    }

    void encodeFrames_data() {
        QTest::addColumn<bool>("reply");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("get baud request")
            << false << 255 << 0x52 << 0 << QByteArray() << QByteArray("A5 02 FF 52 DC 02");
        QTest::newRow("rf reset request")
            << false << 255 << 0x69 << 0 << QByteArray() << QByteArray("A5 02 FF 69 8C 8D");
        QTest::newRow("inventory request") << false << 255 << 0xB0 << 0 << QByteArray("0100")
                                           << QByteArray("A5 04 FF B0 01 00 D0 4B");
        QTest::newRow("get baud reply") << true << 0 << 0x52 << 0x00 << QByteArray("00")
                                        << QByteArray("A5 04 00 52 00 00 C3 2B");
        QTest::newRow("reply to an address") << true << 3 << 0xB0 << 0x84 << QByteArray("00")
                                             << QByteArray("A5 04 03 B0 84 00 BB 59");
    }
    void encodeFrames() {
        QFETCH(bool, reply);
        QFETCH(int, address);
        QFETCH(int, command);
        QFETCH(int, status);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, expected);
        Frame frame;
        frame.address = std::uint8_t(address);
        frame.command = std::uint8_t(command);
        frame.status = std::uint8_t(status);
        frame.data = fromHex(data.constData());
        const auto bytes = wire::encode(reply ? FrameKind::Reply : FrameKind::Request, frame);
        QVERIFY(bytes);
        QCOMPARE(toHex(*bytes), expected);
    }

    void lengthLimits_data() {
        QTest::addColumn<bool>("reply");
        QTest::addColumn<int>("dataLength");
        QTest::addColumn<bool>("fits");
        QTest::newRow("request, longest") << false << 253 << true;
        QTest::newRow("request, one too many") << false << 254 << false;
        QTest::newRow("reply, longest") << true << 252 << true;
        QTest::newRow("reply, one too many") << true << 253 << false;
        QTest::newRow("reply, far too many") << true << 1000 << false;
    }
    void lengthLimits() {
        QFETCH(bool, reply);
        QFETCH(int, dataLength);
        QFETCH(bool, fits);
        Frame frame;
        frame.data.assign(std::size_t(dataLength), 0x5A);
        const auto bytes = wire::encode(reply ? FrameKind::Reply : FrameKind::Request, frame);
        QCOMPARE(bool(bytes), fits);
        if (!fits)
            return;
        QCOMPARE(bytes->size(), std::size_t(dataLength) + (reply ? 3 : 2) + wire::kOverhead);
        QCOMPARE(int((*bytes)[1]), 255);
        const std::uint16_t crc = wire::crc16(bytes->data() + 1, bytes->size() - 3);
        QCOMPARE(int(bytes->at(bytes->size() - 2)), crc & 0xFF);
        QCOMPARE(int(bytes->back()), crc >> 8);
    }
};

QTEST_APPLESS_MAIN(TestWireFrame)
#include "test_wireframe.moc"
