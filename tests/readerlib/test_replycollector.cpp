#include "ReplyCollector.h"
#include "WireFrame.h"
#include "zqkrt.h"

#include <QByteArray>
#include <QTest>
#include <optional>
#include <vector>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

QByteArray replyFrame(std::uint8_t address, std::uint8_t command, std::uint8_t status,
                      const QByteArray& data) {
    wire::Frame frame;
    frame.address = address;
    frame.command = command;
    frame.status = status;
    frame.data.assign(data.begin(), data.end());
    const std::optional<wire::Bytes> bytes = wire::encode(wire::FrameKind::Reply, frame);
    return bytes ? QByteArray(reinterpret_cast<const char*>(bytes->data()),
                              static_cast<qsizetype>(bytes->size()))
                 : QByteArray();
}

QByteArray withBadCrc(QByteArray frame) {
    frame[frame.size() - 1] = static_cast<char>(frame.back() ^ 0x5A);
    return frame;
}

void feed(zqkrt_internal::ReplyCollector& collector, const QByteArray& bytes, qsizetype chunk) {
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        const QByteArray part = bytes.mid(at, chunk);
        collector.feed(reinterpret_cast<const std::uint8_t*>(part.constData()),
                       static_cast<std::size_t>(part.size()));
        QVERIFY(collector.bufferedBytes() < wire::kMaxLength + wire::kOverhead);
    }
}

// As the transport does when the line falls silent: drop partial frames until none is left.
void lineFallsSilent(zqkrt_internal::ReplyCollector& collector) {
    for (int drops = 0; collector.hasPartialFrame() && !collector.reply(); ++drops) {
        QVERIFY2(drops < 300, "partial frames never run out");
        collector.dropPartialFrame();
    }
}

} // namespace

class TestReplyCollector : public QObject {
    Q_OBJECT

private slots:
    void picksTheReply_data();
    void picksTheReply();
    void hearsOfEveryFrame();
    void findsTheReplyAfterLongGarbage();
};

void TestReplyCollector::picksTheReply_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<std::optional<QByteArray>>("replyData");
    QTest::addColumn<int>("failure");

    const QByteArray good = replyFrame(0, 0x52, 0x00, QByteArray("\x02", 1));
    const std::optional<QByteArray> rate = QByteArray("\x02", 1);
    const std::optional<QByteArray> none;
    const QByteArray otherCommand = replyFrame(0, 0x69, 0x00, {});
    // A stray start byte whose length promises more than ever comes swallows what follows.
    const QByteArray strayStart("\x11\xA5\xF0\x33", 4);

    QTest::newRow("reply alone") << 255 << good << rate << 0;
    QTest::newRow("garbage before") << 255 << QByteArray("\x00\x13\xFF\x7E", 4) + good << rate << 0;
    QTest::newRow("stray start before") << 255 << strayStart + good << rate << 0;
    // The stray start's length ends just behind a frame of another command and the start of
    // one more: the bytes held behind the found frame must be searched again after a drop.
    const QByteArray strayOverOther = QByteArray("\xA5\x07", 2) + otherCommand + "\xA5\xF0";
    QTest::newRow("stray start over another command")
        << 255 << strayOverOther << none << int(ZQKRT_ERR_CRC);
    QTest::newRow("stray start over another command, then ours")
        << 255 << strayOverOther + good << rate << 0;
    QTest::newRow("addressed reader") << 0 << good << rate << 0;
    QTest::newRow("another reader only") << 3 << good << none << int(ZQKRT_ERR_TIMEOUT);
    QTest::newRow("another reader, then ours")
        << 7 << replyFrame(0, 0x52, 0, QByteArray("\x01", 1)) + replyFrame(7, 0x52, 0, "\x05")
        << std::optional<QByteArray>(QByteArray("\x05", 1)) << 0;
    QTest::newRow("another command only") << 255 << otherCommand << none << int(ZQKRT_ERR_FRAMING);
    QTest::newRow("another command, then ours") << 255 << otherCommand + good << rate << 0;
    // A stray start byte whose length ends exactly with the reply: when its CRC fails, two whole
    // frames come to light at once and the line stays silent afterwards.
    const QByteArray hidden = otherCommand + good;
    QTest::newRow("stray start over two frames")
        << 255 << QByteArray("\xA5", 1) + char(hidden.size() - 2) + hidden << rate << 0;
    QTest::newRow("bad crc only") << 255 << withBadCrc(good) << none << int(ZQKRT_ERR_CRC);
    QTest::newRow("bad crc, then good") << 255 << withBadCrc(good) + good << rate << 0;
    QTest::newRow("bad crc outranks framing")
        << 255 << otherCommand + withBadCrc(good) << none << int(ZQKRT_ERR_CRC);
    QTest::newRow("cut short") << 255 << good.left(good.size() - 2) << none
                               << int(ZQKRT_ERR_FRAMING);
    QTest::newRow("length out of range")
        << 255 << QByteArray("\xA5\x02\x00\x52\x00", 5) << none << int(ZQKRT_ERR_FRAMING);
    QTest::newRow("silence") << 255 << QByteArray() << none << int(ZQKRT_ERR_TIMEOUT);
    QTest::newRow("garbage only") << 255 << QByteArray("\x01\x02\x03", 3) << none
                                  << int(ZQKRT_ERR_TIMEOUT);
}

void TestReplyCollector::picksTheReply() {
    QFETCH(int, address);
    QFETCH(QByteArray, stream);
    QFETCH(std::optional<QByteArray>, replyData);
    QFETCH(int, failure);

    for (const qsizetype chunk :
         {qsizetype{1}, qsizetype{3}, std::max<qsizetype>(stream.size(), 1)}) {
        zqkrt_internal::ReplyCollector collector(static_cast<std::uint8_t>(address), 0x52);
        feed(collector, stream, chunk);
        lineFallsSilent(collector);
        QCOMPARE(collector.reply().has_value(), replyData.has_value());
        if (replyData) {
            const wire::Frame& reply = *collector.reply();
            QCOMPARE(reply.command, std::uint8_t{0x52});
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(reply.data.data()),
                                static_cast<qsizetype>(reply.data.size())),
                     *replyData);
        } else {
            QCOMPARE(collector.failureStatus(), failure);
        }
    }
}

void TestReplyCollector::hearsOfEveryFrame() {
    std::vector<wire::Frame> seen;
    zqkrt_internal::ReplyCollector collector(
        4, 0xB0, [&seen](const wire::Frame& frame) { seen.push_back(frame); });
    feed(collector,
         replyFrame(9, 0xB0, 0, "\x00") + replyFrame(4, 0x69, 0x84, {}) +
             replyFrame(4, 0xB0, 0x83, QByteArray("\x00", 1)) + replyFrame(4, 0xB0, 0, "\x01"),
         5);
    QVERIFY(collector.reply().has_value());
    QCOMPARE(collector.reply()->status, std::uint8_t{0x83});
    // The reply ends the collection: what comes after it is not heard of.
    QCOMPARE(seen.size(), std::size_t{3});
    QCOMPARE(seen[0].address, std::uint8_t{9});
    QCOMPARE(seen[1].command, std::uint8_t{0x69});
}

void TestReplyCollector::findsTheReplyAfterLongGarbage() {
    zqkrt_internal::ReplyCollector collector(255, 0x52);
    QByteArray garbage(1000, '\0');
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    }
    for (int round = 0; round < 200; ++round) {
        feed(collector, garbage, 64);
        lineFallsSilent(collector);
    }
    feed(collector, replyFrame(0, 0x52, 0, QByteArray("\x06", 1)), 64);
    QVERIFY(collector.reply().has_value());
    QCOMPARE(collector.reply()->data, wire::Bytes{0x06});
}

QTEST_GUILESS_MAIN(TestReplyCollector)
#include "test_replycollector.moc"
