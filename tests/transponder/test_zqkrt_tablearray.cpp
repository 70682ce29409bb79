#include "ZQKRT_TableArray.h"

#include <QTest>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

const std::string kSerial = "E004010012345678";

QString Hex(const std::string& bytes) {
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex().toUpper());
}

// Stands in for the reader library: keeps what is sent and answers with a set status and reply.
struct FakeReader {
    std::int32_t status = 0;
    QByteArray reply;
    std::optional<std::int32_t> replyLength; // unset: the length of reply
    QList<QByteArray> requests;
    std::int32_t handle = 0, busAddress = 0, reserved = -1;

    TZQKRT_ReaderCalls Calls() {
        TZQKRT_ReaderCalls calls;
        calls.GetBaud = calls.RFReset = [this](std::int32_t h, std::int32_t bus) {
            handle = h;
            busAddress = bus;
            return status;
        };
        calls.ISOCmd = [this](std::int32_t h, std::int32_t bus, const std::uint8_t* request,
                              std::int32_t length, std::uint8_t* response,
                              std::int32_t* responseLength, std::int32_t r) {
            handle = h;
            busAddress = bus;
            reserved = r;
            requests.append(QByteArray(reinterpret_cast<const char*>(request), length));
            std::memcpy(response, reply.constData(),
                        std::min<std::size_t>(reply.size(), ZQKRT_RESPONSE_BUFFER_SIZE));
            *responseLength = replyLength.value_or(std::int32_t(reply.size()));
            return status;
        };
        return calls;
    }
};

// One record of serial kSerial, selected, and the command settings given.
void Prepare(TZQKRT_TableArray& table, const std::string& code, const std::string& first = "",
             const std::string& count = "") {
    table.Add();
    table.SetValue(table_selector::kDecodeInventory, "010000" + kSerial);
    table.SetValue(table_selector::kSelectByIndex, "0");
    table.SetValue(table_selector::kCommandCode, code);
    table.SetValue(table_selector::kMode, "00");
    table.FirstBlock = first;
    table.BlockCount = count;
}

// "name: type/serial ..." of every record, so that a failing comparison names its case.
QString Records(const char* name, const TZQKRT_TableArray& table) {
    QString text = QString(name) + ":";
    for (const TZQKRT_Table& record : table.Items)
        text += QString(" %1/%2").arg(QString::fromStdString(record.GetTagTypeHex()),
                                      QString::fromStdString(record.GetSerialNumberHex()));
    return text;
}

} // namespace

class TestZqkrtTableArray : public QObject {
    Q_OBJECT

private slots:
    void inventoryDecoding();
    void selection();
    void staleSelection();
    void settings();
    void requestBytes();
    void notANumberSendsNothing();
    void statusDecidesReply();
    void readBlocksReply();
    void systemInfoReply();
    void untrustedLengthsStayBounded();
};

void TestZqkrtTableArray::inventoryDecoding() {
    struct Case {
        const char* name;
        int records;
        std::string reply;
        const char* expected;
    };
    const std::string entry = "0000E004010012345678";
    std::string full = "1A";
    for (int i = 0; i < 26; ++i)
        full += entry;
    const Case cases[] = {
        {"one", 1, "010000E004010012345678", " 00/E004010012345678"},
        {"two", 2, "0201AAE00401001234567803BBE004010087654321",
         " 01/E004010012345678 03/E004010087654321"},
        {"lower case", 1, "0100aae004010012345678", " 00/E004010012345678"},
        {"none announced", 1, "00" + entry, ""},
        {"ends in the serial", 1, "010000E00401001", ""},
        {"ends in the type", 1, "01A", ""},
        {"second cut short", 2, "0201AAE00401001234567803BBE0040100", " 01/E004010012345678"},
        {"serial not hex", 2, "02" + entry + "0000E0040100123456G8", " 00/E004010012345678"},
        {"count not hex", 1, "0X" + entry, ""},
        {"more announced than records", 1, "0301AAE004010012345678", " 01/E004010012345678"},
        {"more records than announced", 2, "01" + entry + entry, " 00/E004010012345678"},
        {"more records than entries", 3, "03" + entry, " 00/E004010012345678"},
        {"more than a reply carries", 26, full, nullptr},
    };
    for (const Case& c : cases) {
        TZQKRT_TableArray table;
        for (int i = 0; i < c.records; ++i)
            table.Add();
        QVERIFY(table.SetValue(table_selector::kDecodeInventory, c.reply));
        QCOMPARE(std::size_t(table.Count), table.Items.size());
        if (c.expected == nullptr) {
            QCOMPARE(table.Count, 25);
            continue;
        }
        QCOMPARE(Records(c.name, table), QString(c.name) + ":" + c.expected);
    }
}

void TestZqkrtTableArray::selection() {
    TZQKRT_TableArray table;
    QVERIFY(!table.SetValue(table_selector::kSerialNumber, kSerial));
    table.Add();
    table.Add();
    table.SetValue(table_selector::kDecodeInventory, "020000E0040100876543210000" + kSerial);
    QVERIFY(table.SetValue(table_selector::kSerialNumber, kSerial));
    QCOMPARE(table.Selected, 1);
    QCOMPARE(table.SelectedSerial, kSerial);
    QVERIFY(table.SetValue(table_selector::kSerialNumber, "e004010087654321"));
    QCOMPARE(table.Selected, 1);
    QVERIFY(table.SetValue(table_selector::kSelectByIndex, "0"));
    QCOMPARE(table.SelectedSerial, std::string("E004010087654321"));
    for (const char* text : {"abc", "", "1x", " 1", "99999999999"}) {
        try {
            table.SetValue(table_selector::kSelectByIndex, text);
            QFAIL(text);
        } catch (const std::runtime_error& error) {
            QCOMPARE(std::string(error.what()),
                     "'" + std::string(text) + "' is not a valid integer value");
        }
        QCOMPARE(table.Selected, 0);
    }
}

// A selection left stale by an index beyond the records, by emptying the table or by
// refilling it with other transponders gives no data and sends nothing.
void TestZqkrtTableArray::staleSelection() {
    FakeReader reader;
    TZQKRT_TableArray table(7, reader.Calls());
    Prepare(table, "2B");
    QVERIFY(!table.SetValue(table_selector::kSelectByIndex, "1"));
    QCOMPARE(table.SelectedSerial, std::string());
    const std::string three = "03" + std::string("0000E004010000000001") + "0000E004010000000002" +
                              "0000E004010000000003";
    for (int i = 0; i < 2; ++i)
        table.Add();
    table.SetValue(table_selector::kDecodeInventory, three);
    QVERIFY(table.SetValue(table_selector::kSelectByIndex, "2"));
    table.RemoveAll();
    QCOMPARE(table.Count, 0);
    QVERIFY(!table.SetValue(table_selector::kSerialNumber, "E004010000000003"));
    QCOMPARE(table.Selected, 2);
    QCOMPARE(table.SelectedSerial, std::string("E004010000000003"));
    std::string text = "kept";
    using namespace table_selector;
    for (int selector : {kTagType, kSerialNumber, kBlockSize, kBlockSizeKnown, kSystemInfo})
        QVERIFY(!table.GetValue(selector, text));
    QCOMPARE(text, std::string("kept"));
    QVERIFY(!table.SetValue(table_selector::kBlockSize, "8") &&
            !table.SetValue(table_selector::kSystemInfo, "8"));
    for (int kind = 1; kind <= 4; ++kind) {
        QCOMPARE(table.GetBlockData(kind, text), -1);
        QCOMPARE(text, std::string());
    }
    auto addressedCommandsRefused = [&](const char* when) {
        for (const char* code : {"A0", "A1", "23", "24", "2B"}) {
            table.SetValue(table_selector::kCommandCode, code);
            table.FirstBlock = table.BlockCount = "1";
            std::string reply = "kept";
            const QString label = QString("%1 %2: ").arg(when, code);
            QCOMPARE(label + QString::number(table.RunCommand(0xB0, reply)) + reply.c_str(),
                     label + "-1kept");
        }
        QVERIFY(reader.requests.isEmpty());
    };
    addressedCommandsRefused("emptied");

    for (int i = 0; i < 3; ++i)
        table.Add();
    table.SetValue(table_selector::kDecodeInventory, "03" + std::string("0000E004010000000009") +
                                                         "0000E004010000000008" +
                                                         "0000E004010000000007");
    QCOMPARE(table.Count, 3);
    addressedCommandsRefused("refilled");
    table.SetValue(table_selector::kCommandCode, "01");
    std::string reply;
    QCOMPARE(table.RunCommand(0xB0, reply), 0);
    QCOMPARE(reader.requests.size(), 1);
}

void TestZqkrtTableArray::settings() {
    TZQKRT_TableArray table;
    Prepare(table, "01");
    QVERIFY(table.SetValue(table_selector::kFirstBlock, "5") &&
            table.SetValue(table_selector::kBlockCount, "12"));
    QCOMPARE(table.FirstBlock + table.BlockCount, std::string("0512"));
    std::string known;
    QVERIFY(table.GetValue(table_selector::kBlockSizeKnown, known));
    QCOMPARE(known, std::string("0"));
    for (const auto& [given, stored] : {std::pair{"300", "44"}, {"12ab", "12"}, {"-3", "0"}}) {
        std::string size, info;
        QVERIFY(table.SetValue(table_selector::kBlockSize, given) &&
                table.SetValue(table_selector::kSystemInfo, given));
        QVERIFY(table.GetValue(table_selector::kBlockSize, size) &&
                table.GetValue(table_selector::kSystemInfo, info));
        QCOMPARE(size + "/" + info, std::string(stored) + "/" + stored);
    }
    QVERIFY(table.GetValue(table_selector::kBlockSizeKnown, known));
    QCOMPARE(known, std::string("1"));
    using namespace table_selector;
    for (int selector : std::initializer_list<int>{kDecodeInventory, kCommandCode, kSelectByIndex,
                                                   kSystemInfo + 1})
        QVERIFY(!table.GetValue(selector, known));
    for (int selector : std::initializer_list<int>{kTagType, kBlockSizeKnown, kSystemInfo + 1})
        QVERIFY(!table.SetValue(selector, "1"));
}

void TestZqkrtTableArray::requestBytes() {
    struct Case {
        const char *code, *mode, *first, *count;
        const char* expected; // hex, S standing for the serial number
    };
    const Case cases[] = {
        {"01", "00", "", "", "0100"},
        {"01", "01", "x", "", "0101"},
        {"2B", "00", "", "", "2B00S"},
        {"A0", "00", "2", "", "A000S02"},
        {"A1", "00", "1", "", "A100S0105060708"},
        {"A1", "00", "4", "", "A100S04"},
        {"23", "00", "2", "3", "2300S0203"},
        {"23", "00", "300", "-1", "2300S2CFF"},
        {"24", "00", "1", "2", "2400S01020405060708090A0B0C"},
        {"24", "00", "62", "3", "2400S3E0304F9FAFBFC"},
    };
    for (const Case& c : cases) {
        FakeReader reader;
        TZQKRT_TableArray table(7, reader.Calls());
        Prepare(table, c.code, c.first, c.count);
        table.SetValue(table_selector::kMode, c.mode);
        for (std::string* buffer : {&table.Items[0].WriteBlocks, &table.Items[0].CustomWriteData})
            for (std::size_t i = 0; i < buffer->size(); ++i)
                (*buffer)[i] = static_cast<char>(i + 1);
        std::string reply;
        QCOMPARE(table.RunCommand(0xB0, reply), 0);
        QCOMPARE(reader.requests.size(), 1);
        QCOMPARE(Hex(reader.requests[0].toStdString()),
                 QString(c.expected).replace("S", kSerial.c_str()));
        QVERIFY(reader.handle == 7 && reader.busAddress == 255 && reader.reserved == 0);
    }
}

void TestZqkrtTableArray::notANumberSendsNothing() {
    const char* cases[][4] = {{"A0", "abc", "1", "abc"},
                              {"A1", "", "1", ""},
                              {"23", "1", "2x", "2x"},
                              {"24", "1", "", ""}};
    for (const auto& [code, first, count, culprit] : cases) {
        FakeReader reader;
        TZQKRT_TableArray table(7, reader.Calls());
        Prepare(table, code, first, count);
        std::string reply = "kept";
        try {
            table.RunCommand(0xB0, reply);
            QFAIL(code);
        } catch (const TConversionError& error) {
            QCOMPARE(std::string(error.what()),
                     "'" + std::string(culprit) + "' is not a valid integer value");
        }
        QVERIFY(reader.requests.isEmpty());
        QCOMPARE(reply, std::string("kept"));
    }
}

void TestZqkrtTableArray::statusDecidesReply() {
    struct Case {
        int command;
        const char* code;
        int status, result;
        const char* reply;
    };
    const Case cases[] = {
        {0xB0, "01", 0x00, 0, "01AB"},    {0xB0, "01", 0x83, 0, "01AB"},
        {0xB0, "01", 0x84, 0, "01AB"},    {0xB0, "01", 0x90, 0, "01AB"},
        {0xB0, "01", 0x93, 0, "01AB"},    {0xB0, "01", 0x94, 0, "01AB"},
        {0xB0, "01", 0x95, 0, "01AB"},    {0xB0, "01", 0x01, 0x01, "kept"},
        {0xB0, "01", 0x03, 0x03, "kept"}, {0xB0, "01", -5, -5, "kept"},
        {0xB0, "FF", 0x00, -1, "kept"},   {0xB0, "", 0x00, -1, "kept"},
        {0x52, "01", 0x00, 0, ""},        {0x52, "01", -3, -3, ""},
        {0x69, "01", 0x84, 0x84, ""},     {0x69, "01", 0x02, 0x02, ""},
        {0x10, "01", 0x00, -1, ""},
    };
    for (const Case& c : cases) {
        FakeReader reader;
        reader.status = c.status;
        reader.reply = QByteArray::fromHex("01AB");
        TZQKRT_TableArray table(7, reader.Calls());
        Prepare(table, c.code);
        std::string reply = "kept";
        const std::int32_t result = table.RunCommand(c.command, reply);
        const QString label = QStringLiteral("command %1 status %2: ").arg(c.command).arg(c.status);
        QCOMPARE(label + QString::number(result) + " " + reply.c_str(),
                 label + QString::number(c.result) + " " + c.reply);
    }
}

void TestZqkrtTableArray::readBlocksReply() {
    struct Case {
        const char *first, *count, *reply;
        const char* expected; // block size, ReadBlocks' first 12 bytes, GetBlockData 1, rest
    };
    const Case cases[] = {
        {"0", "2", "0004 00 0102030400 05060708EE 1122",
         "4 010203040506070800000000 0403020108070605 1122"},
        {"1", "2", "0002 00 AABB000000 CCDD000000", "2 0000AABBCCDD000000000000 BBAADDCC "},
        {"0", "3", "0004 00 0102030400 05", "4 010203040500000000000000 040302010000000500000000 "},
        {"0", "1", "0000 00 0102030400", "0 000000000000000000000000 - "},
        {"0", "2147483647", "0004 00 0102030400 AA", "4 01020304AA00000000000000 - "},
        {"2147483647", "3", "0004 00 0102030400", "4 000000000000000000000000 - "},
    };
    for (const Case& c : cases) {
        FakeReader reader;
        reader.reply = QByteArray::fromHex(c.reply);
        TZQKRT_TableArray table(7, reader.Calls());
        Prepare(table, "23", c.first, c.count);
        std::string rest, size, known, reversed;
        QCOMPARE(table.RunCommand(0xB0, rest), 0);
        QVERIFY(table.GetValue(table_selector::kBlockSize, size) &&
                table.GetValue(table_selector::kBlockSizeKnown, known));
        QCOMPARE(known, std::string("1"));
        const std::string& stored = table.Items[0].ReadBlocks;
        QCOMPARE(stored.size(), std::size_t{255});
        const bool hasReversed = table.GetBlockData(1, reversed) == 0;
        const QString outcome = QStringLiteral("%1 %2 %3 %4")
                                    .arg(size.c_str(), Hex(stored.substr(0, 12)),
                                         hasReversed ? Hex(reversed) : "-", rest.c_str());
        QCOMPARE(outcome, QString(c.expected));
    }
}

void TestZqkrtTableArray::systemInfoReply() {
    FakeReader reader;
    TZQKRT_TableArray table(7, reader.Calls());
    Prepare(table, "2B");
    // Offset 11 holds 3F; its neighbours differ so that a wrong offset shows.
    const std::pair<const char*, const char*> cases[] = {
        {"000F E004010012345678 00 3F 1F 03 01", "63"}, {"000F", "0"}};
    for (const auto& [replyHex, info] : cases) {
        reader.reply = QByteArray::fromHex(replyHex);
        std::string reply, text;
        QCOMPARE(table.RunCommand(0xB0, reply), 0);
        QCOMPARE(QString::fromStdString(reply), Hex(reader.reply.toStdString()));
        QVERIFY(table.GetValue(table_selector::kSystemInfo, text));
        QCOMPARE(text, std::string(info));
    }
}

// Reply lengths from the library are not trusted, and block ranges never make requests grow.
void TestZqkrtTableArray::untrustedLengthsStayBounded() {
    FakeReader reader;
    reader.reply = QByteArray(300, '\x11');
    TZQKRT_TableArray table(7, reader.Calls());
    Prepare(table, "01");
    std::string text;
    reader.replyLength = 100000;
    QCOMPARE(table.RunCommand(0xB0, text), 0);
    QCOMPARE(text.size(), std::size_t{2 * ZQKRT_RESPONSE_BUFFER_SIZE});
    reader.replyLength = -3;
    QCOMPARE(table.RunCommand(0xB0, text), 0);
    QCOMPARE(text, std::string());

    TZQKRT_TableArray writer(7, reader.Calls());
    Prepare(writer, "24", "0", "2147483647");
    QCOMPARE(writer.RunCommand(0xB0, text), 0);
    QCOMPARE(reader.requests.last().size(), 2 + 8 + 3 + 63 * 4);
    writer.FirstBlock = "-2147483648";
    QCOMPARE(writer.RunCommand(0xB0, text), 0);
    QCOMPARE(reader.requests.last().size(), 2 + 8 + 3);
}

QTEST_APPLESS_MAIN(TestZqkrtTableArray)
#include "test_zqkrt_tablearray.moc"
