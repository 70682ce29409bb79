#include "Deframer.h"

#include <QTest>

using wire::Bytes;
using wire::Deframer;
using wire::Frame;
using wire::FrameKind;

namespace {

Frame makeFrame(std::uint8_t command, std::uint8_t status, Bytes data) {
    Frame frame;
    frame.address = 7;
    frame.command = command;
    frame.status = status;
    frame.data = std::move(data);
    return frame;
}

Bytes encoded(FrameKind kind, const Frame& frame) {
    return wire::encode(kind, frame).value();
}

Bytes operator+(Bytes left, const Bytes& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

void feed(Deframer& deframer, const Bytes& bytes) {
    deframer.feed(bytes.data(), bytes.size());
}

std::vector<Frame> drain(Deframer& deframer) {
    std::vector<Frame> frames;
    while (auto frame = deframer.next())
        frames.push_back(*frame);
    return frames;
}

bool sameFrame(const Frame& a, const Frame& b) {
    return a.address == b.address && a.command == b.command && a.status == b.status &&
           a.data == b.data;
}

const Frame kReply = makeFrame(0xB0, 0x00, {0x01, 0x00, 0x00, 0xE0, 0x04});
const Frame kOtherReply = makeFrame(0x52, 0x00, {0x03});

} // namespace

Q_DECLARE_METATYPE(Bytes)

class TestDeframer : public QObject {
    Q_OBJECT

private slots:
    void splitByteByByte_data() {
        QTest::addColumn<bool>("reply");
        QTest::addColumn<Bytes>("data");
        QTest::newRow("request, no data") << false << Bytes{};
        QTest::newRow("reply, no data") << true << Bytes{};
        QTest::newRow("reply with start bytes in data") << true << Bytes{0xA5, 0xA5, 0x00, 0xA5};
        QTest::newRow("request, longest") << false << Bytes(wire::kMaxRequestData, 0xA5);
        QTest::newRow("reply, longest") << true << Bytes(wire::kMaxReplyData, 0x02);
    }
    void splitByteByByte() {
        QFETCH(bool, reply);
        QFETCH(Bytes, data);
        const FrameKind kind = reply ? FrameKind::Reply : FrameKind::Request;
        const Frame sent = makeFrame(0xB0, reply ? 0x94 : 0, data);
        const Bytes bytes = encoded(kind, sent);
        Deframer deframer(kind);
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            deframer.feed(&bytes[i], 1);
            QVERIFY2(!deframer.next(), "a frame before its last byte");
            QVERIFY(deframer.hasPartialFrame());
        }
        deframer.feed(&bytes.back(), 1);
        const auto frame = deframer.next();
        QVERIFY(frame);
        QVERIFY(sameFrame(*frame, sent));
        QVERIFY(!deframer.hasPartialFrame());
        QVERIFY(!deframer.next());
    }

    // Each stream holds garbage or damage somewhere, then kReply and kOtherReply intact.
    void recoversFrames_data() {
        QTest::addColumn<Bytes>("stream");
        QTest::addColumn<int>("crcErrors");
        QTest::addColumn<int>("lengthErrors");
        const Bytes reply = encoded(FrameKind::Reply, kReply);
        const Bytes other = encoded(FrameKind::Reply, kOtherReply);
        QTest::newRow("two frames in one read") << reply + other << 0 << 0;
        QTest::newRow("garbage without a start byte")
            << Bytes{0x00, 0x11, 0xFF} + reply + other << 0 << 0;
        QTest::newRow("start byte with a short length")
            << Bytes{0xA5, 0x02} + reply + other << 0 << 1;
        QTest::newRow("length zero") << Bytes{0xA5, 0x00} + reply + other << 0 << 1;

        Bytes damaged = reply;
        damaged[5] ^= 0x40;
        QTest::newRow("bad CRC, then good frames") << damaged + reply + other << 1 << 0;

        Bytes badCrcByte = reply;
        badCrcByte.back() ^= 0x01;
        QTest::newRow("CRC byte damaged") << badCrcByte + reply + other << 1 << 0;
    }
    void recoversFrames() {
        QFETCH(Bytes, stream);
        QFETCH(int, crcErrors);
        QFETCH(int, lengthErrors);
        Deframer deframer(FrameKind::Reply);
        feed(deframer, stream);
        const std::vector<Frame> frames = drain(deframer);
        QVERIFY(frames.size() >= 2);
        QVERIFY(sameFrame(frames[frames.size() - 2], kReply));
        QVERIFY(sameFrame(frames.back(), kOtherReply));
        for (const Frame& frame : frames)
            QVERIFY(sameFrame(frame, kReply) || sameFrame(frame, kOtherReply));
        QCOMPARE(int(deframer.crcErrors()), crcErrors);
        QCOMPARE(int(deframer.lengthErrors()), lengthErrors);
        QVERIFY(!deframer.hasPartialFrame());
    }

    void strayStartByteCountsEveryRealFrame() {
        const Bytes reply = encoded(FrameKind::Reply, kReply);
        Bytes stream{0xA5};
        const int count = 30;
        for (int i = 0; i < count; ++i)
            stream = stream + reply;
        Deframer deframer(FrameKind::Reply);
        feed(deframer, stream);
        QCOMPARE(int(drain(deframer).size()), count);
    }

    void lengthBelowMinimumOfKind_data() {
        QTest::addColumn<bool>("reply");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("request LEN 1") << false << 1 << false;
        QTest::newRow("request LEN 2") << false << 2 << true;
        QTest::newRow("reply LEN 2") << true << 2 << false;
        QTest::newRow("reply LEN 3") << true << 3 << true;
    }
    void lengthBelowMinimumOfKind() {
        QFETCH(bool, reply);
        QFETCH(int, length);
        QFETCH(bool, accepted);
        // A frame with a correct CRC whose LEN is all that varies.
        Bytes bytes{wire::kStartOfFrame, std::uint8_t(length)};
        for (int i = 0; i < length; ++i)
            bytes.push_back(std::uint8_t(0x10 + i));
        const std::uint16_t crc = wire::crc16(bytes.data() + 1, bytes.size() - 1);
        bytes.push_back(std::uint8_t(crc & 0xFF));
        bytes.push_back(std::uint8_t(crc >> 8));
        Deframer deframer(reply ? FrameKind::Reply : FrameKind::Request);
        feed(deframer, bytes);
        QCOMPARE(bool(deframer.next()), accepted);
        QCOMPARE(int(deframer.lengthErrors()), accepted ? 0 : 1);
    }

    void kindDecidesStatus() {
        const Bytes bytes = encoded(FrameKind::Reply, makeFrame(0xB0, 0x83, {0x00}));
        Deframer replies(FrameKind::Reply);
        feed(replies, bytes);
        const auto reply = replies.next();
        QVERIFY(reply);
        QCOMPARE(int(reply->status), 0x83);
        QCOMPARE(reply->data, Bytes{0x00});

        Deframer requests(FrameKind::Request);
        feed(requests, bytes);
        const auto request = requests.next();
        QVERIFY(request);
        QCOMPARE(request->data, (Bytes{0x83, 0x00}));
    }

    void resetDropsPartialFrame() {
        const Bytes reply = encoded(FrameKind::Reply, kReply);
        Deframer deframer(FrameKind::Reply);
        deframer.feed(reply.data(), 4);
        QVERIFY(!deframer.next());
        QVERIFY(deframer.hasPartialFrame());
        deframer.reset();
        QVERIFY(!deframer.hasPartialFrame());
        // The rest of the interrupted frame is garbage now; the next whole frame still counts.
        feed(deframer,
             Bytes(reply.begin() + 4, reply.end()) + encoded(FrameKind::Reply, kOtherReply));
        const std::vector<Frame> frames = drain(deframer);
        QCOMPARE(int(frames.size()), 1);
        QVERIFY(sameFrame(frames.front(), kOtherReply));
    }

    void dropStartByteSearchesWhatIsHeld() {
        // A start byte whose length promises more than comes holds back a whole frame and the
        // start of another.
        Deframer deframer(FrameKind::Reply);
        feed(deframer, Bytes{0xA5, 0xF0, 0x33} + encoded(FrameKind::Reply, kReply) + Bytes{0xA5});
        QVERIFY(drain(deframer).empty());
        deframer.dropStartByte();
        const std::vector<Frame> frames = drain(deframer);
        QCOMPARE(int(frames.size()), 1);
        QVERIFY(sameFrame(frames.front(), kReply));
        QCOMPARE(int(deframer.bufferedBytes()), 1);
        deframer.dropStartByte();
        QVERIFY(!deframer.hasPartialFrame());
        deframer.dropStartByte();
        QVERIFY(!deframer.hasPartialFrame());
    }

    void garbageAloneIsNoPartialFrame() {
        Deframer deframer(FrameKind::Request);
        feed(deframer, Bytes(500, 0x33));
        QVERIFY(!deframer.hasPartialFrame());
        QCOMPARE(int(deframer.bufferedBytes()), 0);
    }

    void bufferStaysBounded() {
        // Start bytes with lengths that promise long frames, none of which ever completes
        // with a right CRC.
        Deframer deframer(FrameKind::Reply);
        std::uint32_t state = 12345;
        for (int round = 0; round < 200; ++round) {
            Bytes chunk(97);
            for (auto& byte : chunk) {
                state = state * 1103515245u + 12345u;
                byte = (state >> 16) % 3 == 0 ? wire::kStartOfFrame : std::uint8_t(state >> 8);
            }
            feed(deframer, chunk);
            drain(deframer);
            QVERIFY2(deframer.bufferedBytes() < wire::kMaxLength + wire::kOverhead,
                     qPrintable(QString::number(deframer.bufferedBytes())));
        }
        QVERIFY(deframer.crcErrors() + deframer.lengthErrors() > 0);
    }
};

QTEST_APPLESS_MAIN(TestDeframer)
#include "test_deframer.moc"
