#include "LineTiming.h"

#include <QTest>
#include <limits>

class TestLineTiming : public QObject {
    Q_OBJECT

private slots:
    void bitsPerCharacter_data() {
        QTest::addColumn<bool>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("bits");
        QTest::newRow("8N1") << false << 1 << 10;
        QTest::newRow("8E1 and 8O1") << true << 1 << 11;
        QTest::newRow("8N2") << false << 2 << 11;
    }
    void bitsPerCharacter() {
        QFETCH(bool, parity);
        QFETCH(int, stopBits);
        QFETCH(int, bits);
        QCOMPARE(wire::bitsPerCharacter(parity, stopBits), bits);
    }

    void lineTime_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bits");
        QTest::addColumn<qint64>("micros");
        QTest::newRow("nothing") << 0 << 1200 << 11 << qint64(0);
        QTest::newRow("exact at 1200") << 12 << 1200 << 10 << qint64(100000);
        QTest::newRow("one character at 1200 rounds up") << 1 << 1200 << 10 << qint64(8334);
        QTest::newRow("longest frame at 1200 8E1") << 259 << 1200 << 11 << qint64(2374167);
        QTest::newRow("one character at 115200") << 1 << 115200 << 10 << qint64(87);
        QTest::newRow("longest frame at 115200 8N1") << 259 << 115200 << 10 << qint64(22483);
    }
    void lineTime() {
        QFETCH(int, count);
        QFETCH(int, baud);
        QFETCH(int, bits);
        QFETCH(qint64, micros);
        QCOMPARE(wire::lineTimeMicros(std::size_t(count), baud, bits), micros);
    }

    void lineTimeSaturates() {
        QCOMPARE(wire::lineTimeMicros(std::numeric_limits<std::size_t>::max(), 1200, 11),
                 std::numeric_limits<std::int64_t>::max());
    }

    void interByteTimeout_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("ms");
        QTest::newRow("115200 8N1: the 5 ms floor") << 115200 << 10 << 5;
        QTest::newRow("9600 8N1: 4.2 ms, the floor") << 9600 << 10 << 5;
        QTest::newRow("4800 8N1: 8.3 ms") << 4800 << 10 << 9;
        QTest::newRow("2400 8E1: 18.3 ms") << 2400 << 11 << 19;
        QTest::newRow("1200 8E1: 36.7 ms") << 1200 << 11 << 37;
        QTest::newRow("1200 8N1: 33.3 ms") << 1200 << 10 << 34;
    }
    void interByteTimeout() {
        QFETCH(int, baud);
        QFETCH(int, bits);
        QFETCH(int, ms);
        QCOMPARE(wire::interByteTimeoutMs(baud, bits), ms);
    }

    void replyTimeout_data() {
        QTest::addColumn<int>("requestBytes");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("timeOut");
        QTest::addColumn<int>("ms");
        // (6 + 259) x 11 bits at 1200 = 2429.17 ms, + 20 ms.
        QTest::newRow("1200 8E1") << 6 << 1200 << 11 << 0 << 2450;
        QTest::newRow("1200 8E1 with TimeOut") << 6 << 1200 << 11 << 100 << 2550;
        // (6 + 259) x 10 bits at 115200 = 23.0 ms, + 20 ms.
        QTest::newRow("115200 8N1") << 6 << 115200 << 10 << 0 << 44;
        QTest::newRow("115200 8N1 with TimeOut") << 6 << 115200 << 10 << 500 << 544;
        QTest::newRow("longest request at 115200") << 259 << 115200 << 10 << 0 << 65;
        QTest::newRow("negative TimeOut counts as 0") << 6 << 115200 << 10 << -1000 << 44;
    }
    void replyTimeout() {
        QFETCH(int, requestBytes);
        QFETCH(int, baud);
        QFETCH(int, bits);
        QFETCH(int, timeOut);
        QFETCH(int, ms);
        QCOMPARE(wire::replyTimeoutMs(std::size_t(requestBytes), baud, bits, timeOut), ms);
    }

    void brokenSettingsGiveLongWaits() {
        // A zero rate must not divide by zero, and waits grow rather than wrap.
        QVERIFY(wire::replyTimeoutMs(6, 0, 11, 0) > wire::replyTimeoutMs(6, 1200, 11, 0));
        QVERIFY(wire::interByteTimeoutMs(0, 11) > wire::interByteTimeoutMs(1200, 11));
        QCOMPARE(wire::replyTimeoutMs(std::numeric_limits<std::size_t>::max(), 1200, 11, 0),
                 std::numeric_limits<int>::max());
        QCOMPARE(wire::replyTimeoutMs(6, 1200, 11, std::numeric_limits<int>::max()),
                 std::numeric_limits<int>::max());
    }
};

QTEST_APPLESS_MAIN(TestLineTiming)
#include "test_linetiming.moc"
