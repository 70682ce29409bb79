#include "PubFunctions.h"

#include <QTest>

namespace {

std::string AsStd(const QByteArray& b) {
    return b.toStdString();
}
QByteArray AsQ(const std::string& s) {
    return QByteArray::fromStdString(s);
}

} // namespace

class TestPubFunctions : public QObject {
    Q_OBJECT

private slots:
    void hexPairToInt_data();
    void hexPairToInt();
    void hexToChar_data();
    void hexToChar();
    void hexToStr_data();
    void hexToStr();
    void byteToHex_data();
    void byteToHex();
    void strAndBufToHex_data();
    void strAndBufToHex();
    void bufToHexTakesOnlyCountBytes();
    void hexRoundTrip_data();
    void hexRoundTrip();
    void everyByteSurvivesRoundTrip();
};

void TestPubFunctions::hexPairToInt_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("00") << QByteArray("00") << 0;
    QTest::newRow("1A") << QByteArray("1A") << 26;
    QTest::newRow("1a") << QByteArray("1a") << 26;
    QTest::newRow("9F") << QByteArray("9F") << 159;
    QTest::newRow("af") << QByteArray("af") << 175;
    QTest::newRow("FF") << QByteArray("FF") << 255;
    QTest::newRow("single digit") << QByteArray("7") << -1;
    QTest::newRow("three digits") << QByteArray("123") << -1;
    QTest::newRow("G first") << QByteArray("G1") << -1;
    QTest::newRow("g second") << QByteArray("1g") << -1;
    QTest::newRow("blank first") << QByteArray(" 5") << -1;
    QTest::newRow("plus sign") << QByteArray("+5") << -1;
    QTest::newRow("minus sign") << QByteArray("-1") << -1;
    QTest::newRow("x prefix") << QByteArray("x5") << -1;
    QTest::newRow("slash below 0") << QByteArray("/0") << -1;
    QTest::newRow("colon above 9") << QByteArray("0:") << -1;
    QTest::newRow("at below A") << QByteArray("@0") << -1;
    QTest::newRow("backquote below a") << QByteArray("0`") << -1;
    QTest::newRow("byte 0 first") << QByteArray("\0"
                                                "5",
                                                2)
                                  << -1;
    QTest::newRow("byte 0 second") << QByteArray("5\0", 2) << -1;
}

void TestPubFunctions::hexPairToInt() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(HexPairToInt(AsStd(text)), expected);
}

void TestPubFunctions::hexToChar_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("single digit") << QByteArray("7") << 7;
    QTest::newRow("single letter") << QByteArray("a") << 10;
    QTest::newRow("1a") << QByteArray("1a") << 26;
    QTest::newRow("7D") << QByteArray("7D") << 0x7D;
    QTest::newRow("7e") << QByteArray("7e") << 0x7E;
    QTest::newRow("FF") << QByteArray("FF") << 0xFF;
    QTest::newRow("00") << QByteArray("00") << 0;
    QTest::newRow("23 is regular") << QByteArray("23") << int('#');
    QTest::newRow("empty") << QByteArray() << int('#');
    QTest::newRow("three digits") << QByteArray("123") << int('#');
    QTest::newRow("non-digit in pair") << QByteArray("1G") << int('#');
    QTest::newRow("single non-digit") << QByteArray("G") << int('#');
    QTest::newRow("single byte 0") << QByteArray("\0", 1) << int('#');
}

void TestPubFunctions::hexToChar() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(static_cast<unsigned char>(HexToChar(AsStd(text))), expected);
}

void TestPubFunctions::hexToStr_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("single digit") << QByteArray("7") << QByteArray("\x07");
    QTest::newRow("single non-digit") << QByteArray("z") << QByteArray("#");
    QTest::newRow("three digits") << QByteArray("123") << QByteArray("#");
    QTest::newRow("five digits") << QByteArray("12345") << QByteArray("#");
    QTest::newRow("zero and FF") << QByteArray("00FF") << QByteArray("\0\xFF", 2);
    QTest::newRow("invalid pair inside") << QByteArray("41zz42") << QByteArray("A#B");
    QTest::newRow("7d7E") << QByteArray("7d7E") << QByteArray("}~");
}

void TestPubFunctions::hexToStr() {
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, expected);
    QCOMPARE(AsQ(HexToStr(AsStd(hex))), expected);
}

void TestPubFunctions::byteToHex_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << 0 << QByteArray("00");
    QTest::newRow("10") << 10 << QByteArray("0A");
    QTest::newRow("0x7D") << 0x7D << QByteArray("7D");
    QTest::newRow("0x7E") << 0x7E << QByteArray("7E");
    QTest::newRow("0x90") << 0x90 << QByteArray("90");
    QTest::newRow("171") << 171 << QByteArray("AB");
    QTest::newRow("255") << 255 << QByteArray("FF");
}

void TestPubFunctions::byteToHex() {
    QFETCH(int, byte);
    QFETCH(QByteArray, expected);
    QCOMPARE(AsQ(ByteToHex(static_cast<unsigned char>(byte))), expected);
}

void TestPubFunctions::strAndBufToHex_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("1 2 254") << QByteArray("\x01\x02\xFE") << QByteArray("0102FE");
    QTest::newRow("byte 0 inside") << QByteArray("A\0B", 3) << QByteArray("410042");
    QTest::newRow("high bytes") << QByteArray("\x80\xFF\x7E") << QByteArray("80FF7E");
}

void TestPubFunctions::strAndBufToHex() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    QCOMPARE(AsQ(StrToHex(AsStd(bytes))), expected);
    QCOMPARE(AsQ(BufToHex(bytes.constData(), int(bytes.size()))), expected);
}

void TestPubFunctions::bufToHexTakesOnlyCountBytes() {
    const unsigned char buffer[] = {0xDE, 0xAD, 0xBE, 0xEF};
    QCOMPARE(AsQ(BufToHex(buffer, 2)), QByteArray("DEAD"));
    QCOMPARE(AsQ(BufToHex(buffer, 0)), QByteArray());
    QCOMPARE(AsQ(BufToHex(buffer, -1)), QByteArray());
    QCOMPARE(AsQ(BufToHex(nullptr, 4)), QByteArray());
}

void TestPubFunctions::hexRoundTrip_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("00") << QByteArray("00");
    QTest::newRow("mixed case") << QByteArray("0a1B2c3D4e5F");
    QTest::newRow("serial number") << QByteArray("E0040100054a3c1f");
    QByteArray allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += QByteArray::number(b + 256, 16).mid(1);
    QTest::newRow("every byte, lower case") << allBytes;
}

void TestPubFunctions::hexRoundTrip() {
    QFETCH(QByteArray, hex);
    QCOMPARE(AsQ(StrToHex(HexToStr(AsStd(hex)))), hex.toUpper());
}

void TestPubFunctions::everyByteSurvivesRoundTrip() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    QCOMPARE(AsQ(HexToStr(StrToHex(bytes))), AsQ(bytes));
}

QTEST_APPLESS_MAIN(TestPubFunctions)
#include "test_pubfunctions.moc"
