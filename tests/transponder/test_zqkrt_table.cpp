#include "ZQKRT_Table.h"

#include <QTest>
#include <climits>

namespace {

// A record whose four buffers hold 01 02 03 ... from offset 0.
TZQKRT_Table CountingRecord(int blockSize) {
    TZQKRT_Table record;
    record.BlockSize = static_cast<std::uint8_t>(blockSize);
    for (std::string* buffer :
         {&record.ReadBlocks, &record.WriteBlocks, &record.CustomReadData, &record.CustomWriteData})
        for (std::size_t i = 0; i < buffer->size(); ++i)
            (*buffer)[i] = static_cast<char>(i + 1);
    return record;
}

// "name: result data-as-hex", so that a failing comparison names its case.
QString Outcome(const char* name, int result, const std::string& data) {
    return QStringLiteral("%1: %2 %3")
        .arg(name)
        .arg(result)
        .arg(QString::fromLatin1(QByteArray::fromStdString(data).toHex().toUpper()));
}

} // namespace

class TestZqkrtTable : public QObject {
    Q_OBJECT

private slots:
    void getData();
    void storeReplyData();
    void getRequestData();
};

void TestZqkrtTable::getData() {
    struct Case {
        const char* name;
        int blockSize, kind, first, count;
        const char* expected; // result (1 found, 0 not) and data
    };
    const Case cases[] = {
        {"read blocks reversed", 4, 1, 0, 2, "1 0403020108070605"},
        {"write blocks reversed", 2, 2, 1, 1, "1 0403"},
        {"custom read as stored", 4, 3, 1, 1, "1 05060708"},
        {"custom write as stored", 2, 4, 0, 2, "1 01020304"},
        {"no blocks", 4, 1, 3, 0, "1 "},
        {"last whole block", 5, 2, 50, 1, "1 FFFEFDFCFB"},
        {"unknown kind", 4, 5, 0, 1, "0 "},
        {"read with block size 0", 0, 1, 0, 1, "0 "},
        {"past the end", 4, 1, 63, 1, "0 "},
        {"custom past the end", 4, 3, 7, 2, "0 "},
        {"negative first", 4, 2, -1, 1, "0 "},
        {"negative count", 4, 2, 1, -1, "0 "},
        {"huge range", 255, 2, INT_MAX, INT_MAX, "0 "},
    };
    for (const Case& c : cases) {
        const TZQKRT_Table record = CountingRecord(c.blockSize);
        std::string data = "left over";
        const bool found = record.GetData(c.kind, c.first, c.count, data);
        QCOMPARE(Outcome(c.name, found, data), QStringLiteral("%1: %2").arg(c.name, c.expected));
    }
}

void TestZqkrtTable::storeReplyData() {
    struct Case {
        const char* name;
        const char* code;
        int blockSize, index, result, offset;
        const char* stored; // expected at offset, everything else zero
    };
    const Case cases[] = {
        {"23 block 1", "23", 4, 1, 0, 4, "AABBCCDD"},
        {"23 block size 2", "23", 2, 0, 0, 0, "AABB"},
        {"23 block overlapping the end", "23", 4, 63, 0, 252, "AABBCCDD"},
        {"23 block starting at the end", "23", 5, 51, 0, 255, "AABBCCDDEE"},
        {"23 block past the end", "23", 4, 65, -1, 0, ""},
        {"23 negative block", "23", 4, -1, -1, 0, ""},
        {"23 block size 0", "23", 0, 0, -1, 0, ""},
        {"A0 entry 3", "A0", 4, 3, 0, 12, "AABBCCDD"},
        {"A0 entry 4", "A0", 4, 4, -1, 0, ""},
        {"other code", "24", 4, 0, -1, 0, ""},
    };
    for (const Case& c : cases) {
        TZQKRT_Table record;
        record.BlockSize = static_cast<std::uint8_t>(c.blockSize);
        const int result = record.StoreReplyData(c.code, "AABBCCDDEEFF", c.index);
        const std::string& buffer =
            c.code == std::string("A0") ? record.CustomReadData : record.ReadBlocks;
        const std::string stored = QByteArray::fromHex(c.stored).toStdString();
        std::string expected(c.code == std::string("A0") ? 33 : 255, '\0');
        expected.replace(c.offset, stored.size(), stored);
        QCOMPARE(Outcome(c.name, result, buffer), Outcome(c.name, c.result, expected));
    }
}

void TestZqkrtTable::getRequestData() {
    struct Case {
        const char* name;
        const char* code;
        int blockSize, index;
        const char* expected;
    };
    const Case cases[] = {
        {"24 block 0", "24", 4, 0, "0 01020304"},
        {"24 block 62", "24", 4, 62, "0 F9FAFBFC"},
        {"24 block 63", "24", 4, 63, "-1 "},
        {"24 negative block", "24", 4, -1, "-1 "},
        {"24 huge block", "24", 255, INT_MAX, "-1 "},
        {"A1 entry 3", "A1", 4, 3, "0 0D0E0F10"},
        {"A1 entry 4", "A1", 4, 4, "-1 "},
        {"A1 entry past the buffer", "A1", 9, 3, "-1 "},
        {"other code", "23", 4, 0, "-1 "},
    };
    for (const Case& c : cases) {
        const TZQKRT_Table record = CountingRecord(c.blockSize);
        std::string data = "left over";
        const int result = record.GetRequestData(c.code, c.index, data);
        QCOMPARE(Outcome(c.name, result, data), QStringLiteral("%1: %2").arg(c.name, c.expected));
    }
    // Writes stay within the first 255 bytes even when the buffer is longer.
    TZQKRT_Table longer = CountingRecord(4);
    longer.WriteBlocks.resize(300);
    std::string data;
    QCOMPARE(longer.GetRequestData("24", 63, data), -1);
}

QTEST_APPLESS_MAIN(TestZqkrtTable)
#include "test_zqkrt_table.moc"
