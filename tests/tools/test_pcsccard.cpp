#include "HexBytes.h"
#include "PcscCard.h"
#include "VpcdFraming.h"

#include <QTest>

using emulator::Bytes;
using emulator::Transponder;

Q_DECLARE_METATYPE(Bytes)

namespace {

// 28 blocks of 4 bytes, block n holding n n n n.
Transponder numberedTag() {
    auto tag = emulator::makeTransponder(hex("E004010012345678"), 0x00, 28, 4);
    for (std::size_t index = 0; index < tag->memory.size(); ++index) {
        tag->memory[index] = static_cast<std::uint8_t>(index / 4);
    }
    return *tag;
}

} // namespace

class TestPcscCard : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void updateThenReadGivesTheNewBlock();
    void readOnlyRefusesAndKeepsTheBlock();
    void atrIsAStorageCardOfIso15693WithItsCheckByte();
    void deframerCutsSplitAndMergedMessages();
    void deframerBreaksOnBadLengths_data();
    void deframerBreaksOnBadLengths();
};

void TestPcscCard::answers_data() {
    QTest::addColumn<Bytes>("apdu");
    QTest::addColumn<Bytes>("response");

    QTest::newRow("get data: UID low byte first")
        << hex("FFCA000000") << hex("78563412000104E09000");
    QTest::newRow("get data: Le 8") << hex("FFCA000008") << hex("78563412000104E09000");
    QTest::newRow("get data: Le short") << hex("FFCA000004") << hex("6C08");
    QTest::newRow("get data: historical bytes") << hex("FFCA010000") << hex("6A81");
    QTest::newRow("get data: other P1") << hex("FFCA020000") << hex("6A86");
    QTest::newRow("get data: no Le") << hex("FFCA0000") << hex("6700");
    QTest::newRow("read: first block") << hex("FFB0000000") << hex("000000009000");
    QTest::newRow("read: last block, Le 4") << hex("FFB0001B04") << hex("1B1B1B1B9000");
    QTest::newRow("read: past the end") << hex("FFB0001C00") << hex("6A82");
    QTest::newRow("read: high address byte") << hex("FFB0010000") << hex("6A82");
    QTest::newRow("read: Le not the block size") << hex("FFB0000208") << hex("6C04");
    QTest::newRow("read: with data") << hex("FFB000020100") << hex("6700");
    QTest::newRow("update: too short for a block") << hex("FFD6000203AABBCC") << hex("6700");
    QTest::newRow("update: too long for a block") << hex("FFD6000205AABBCCDDEE") << hex("6700");
    QTest::newRow("update: Lc not the data") << hex("FFD6000204AABBCC") << hex("6700");
    QTest::newRow("update: no data") << hex("FFD60002") << hex("6700");
    QTest::newRow("update: past the end") << hex("FFD6001C04AABBCCDD") << hex("6A82");
    QTest::newRow("unknown class") << hex("00CA000000") << hex("6E00");
    QTest::newRow("unknown instruction") << hex("FFA4000000") << hex("6D00");
    QTest::newRow("header cut short") << hex("FFCA00") << hex("6700");
    QTest::newRow("longer than a short APDU") << Bytes(262, 0xFF) << hex("6700");
}

void TestPcscCard::answers() {
    QFETCH(Bytes, apdu);
    QFETCH(Bytes, response);
    Transponder tag = numberedTag();
    const Bytes memory = tag.memory;
    QCOMPARE(emulator::answerApdu(tag, apdu), response);
    QCOMPARE(tag.memory, memory);
}

void TestPcscCard::updateThenReadGivesTheNewBlock() {
    Transponder tag = numberedTag();
    QCOMPARE(emulator::answerApdu(tag, hex("FFD6000504A1B2C3D4")), hex("9000"));
    QCOMPARE(emulator::answerApdu(tag, hex("FFB0000500")), hex("A1B2C3D49000"));
    QCOMPARE(emulator::answerApdu(tag, hex("FFB0000400")), hex("040404049000"));
    QCOMPARE(emulator::answerApdu(tag, hex("FFB0000600")), hex("060606069000"));
}

void TestPcscCard::readOnlyRefusesAndKeepsTheBlock() {
    Transponder tag = numberedTag();
    tag.readOnly = true;
    QCOMPARE(emulator::answerApdu(tag, hex("FFD6000504A1B2C3D4")), hex("6982"));
    QCOMPARE(emulator::answerApdu(tag, hex("FFB0000500")), hex("050505059000"));
}

void TestPcscCard::atrIsAStorageCardOfIso15693WithItsCheckByte() {
    const Bytes atr = emulator::storageCardAtr();
    QCOMPARE(atr.size(), std::size_t{20});
    QCOMPARE(Bytes(atr.begin(), atr.begin() + 12), hex("3B8F8001804F0CA000000306"));
    QCOMPARE(atr[12], std::uint8_t{0x0B});
    std::uint8_t check = 0;
    for (std::size_t index = 1; index < atr.size(); ++index) {
        check ^= atr[index];
    }
    QCOMPARE(check, std::uint8_t{0});
}

void TestPcscCard::deframerCutsSplitAndMergedMessages() {
    const Bytes stream = hex("000104"
                             "0005FFCA000000"
                             "000101");
    // Every split point, so a length field or a body torn across reads is met too.
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        emulator::VpcdDeframer deframer(emulator::kMaxApduLength);
        std::vector<Bytes> messages;
        deframer.feed(stream.data(), split);
        while (auto message = deframer.next()) {
            messages.push_back(*message);
        }
        deframer.feed(stream.data() + split, stream.size() - split);
        while (auto message = deframer.next()) {
            messages.push_back(*message);
        }
        QCOMPARE(messages, (std::vector<Bytes>{hex("04"), hex("FFCA000000"), hex("01")}));
        QVERIFY(!deframer.broken());
    }
    QCOMPARE(emulator::vpcdFrame(hex("9000")), std::optional(hex("00029000")));
}

void TestPcscCard::deframerBreaksOnBadLengths_data() {
    QTest::addColumn<Bytes>("stream");
    QTest::newRow("zero length") << hex("0000"
                                        "000104");
    QTest::newRow("one past the longest APDU") << hex("0106");
    QTest::newRow("largest length") << hex("FFFF");
}

void TestPcscCard::deframerBreaksOnBadLengths() {
    QFETCH(Bytes, stream);
    emulator::VpcdDeframer deframer(emulator::kMaxApduLength);
    deframer.feed(stream.data(), stream.size());
    QVERIFY(!deframer.next());
    QVERIFY(deframer.broken());
    const Bytes good = hex("000104");
    deframer.feed(good.data(), good.size());
    QVERIFY(!deframer.next());
    deframer.reset();
    deframer.feed(good.data(), good.size());
    QCOMPARE(deframer.next(), std::optional(hex("04")));
}

QTEST_GUILESS_MAIN(TestPcscCard)
#include "test_pcsccard.moc"
