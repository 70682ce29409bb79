#include "HexEdit.h"

#include <QTest>
#include <climits>

namespace {

QByteArray AsQ(const std::string& s) {
    return QByteArray::fromStdString(s);
}

// The dump's lines without their CR LF; empty when any line lacks its CR LF.
QList<QByteArray> DumpLines(const THexEdit& view) {
    const QList<QByteArray> pieces = AsQ(view.DumpText()).split('\n');
    if (!pieces.last().isEmpty())
        return {};
    QList<QByteArray> lines;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        if (!pieces.at(i).endsWith('\r'))
            return {};
        lines.append(pieces.at(i).chopped(1));
    }
    return lines;
}

} // namespace

class TestHexEdit : public QObject {
    Q_OBJECT

private slots:
    void dumpsOneLineExactly();
    void freshViewShowsZeros();
    void shownCharacter_data();
    void shownCharacter();
    void emptyLayouts();
    void wideLineIndexes();
    void loadData_data();
    void loadData();
    void loadShowsOnlyLaidOutLines();
    void layoutAndTitleChanges();
    void untrustedLayout_data();
    void untrustedLayout();
    void loadRefusedBeyondLimit();
};

void TestHexEdit::dumpsOneLineExactly() {
    THexEdit view("DB", 1, 4);
    QVERIFY(view.LoadData(0, std::string("\x41\x42\x00\x7E", 4)));
    QCOMPARE(AsQ(view.DumpText()), QByteArray("DB  0:  41 42 00 7E  AB..\r\n"));
}

void TestHexEdit::freshViewShowsZeros() {
    const THexEdit view("DB", 11, 4);
    const QList<QByteArray> lines = DumpLines(view);
    QCOMPARE(lines.size(), 11);
    QCOMPARE(lines.first(), QByteArray("DB  0:  00 00 00 00  ...."));
    QCOMPARE(lines.last(), QByteArray("DB 10:  00 00 00 00  ...."));
    QCOMPARE(view.Data(), std::string(44, '\0'));
}

void TestHexEdit::shownCharacter_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << 0 << QByteArray("  0:  00  .\r\n");
    QTest::newRow("31") << 31 << QByteArray("  0:  1F  .\r\n");
    QTest::newRow("blank") << 32 << QByteArray("  0:  20   \r\n");
    QTest::newRow("closing brace") << 0x7D << QByteArray("  0:  7D  }\r\n");
    QTest::newRow("tilde") << 0x7E << QByteArray("  0:  7E  .\r\n");
    QTest::newRow("127") << 127 << QByteArray("  0:  7F  .\r\n");
    QTest::newRow("255") << 255 << QByteArray("  0:  FF  .\r\n");
}

void TestHexEdit::shownCharacter() {
    QFETCH(int, byte);
    QFETCH(QByteArray, expected);
    THexEdit view("", 1, 1);
    view.LoadData(0, std::string(1, static_cast<char>(byte)));
    QCOMPARE(AsQ(view.DumpText()), expected);
}

void TestHexEdit::emptyLayouts() {
    QCOMPARE(AsQ(THexEdit("DB", 0, 4).DumpText()), QByteArray());
    QCOMPARE(AsQ(THexEdit("DB", 2, 0).DumpText()), QByteArray("DB  0:   \r\nDB  1:   \r\n"));
}

void TestHexEdit::wideLineIndexes() {
    const QList<QByteArray> lines = DumpLines(THexEdit("T", 1001, 1));
    QCOMPARE(lines.size(), 1001);
    QCOMPARE(lines.at(99), QByteArray("T 99:  00  ."));
    QCOMPARE(lines.at(100), QByteArray("T100:  00  ."));
    QCOMPARE(lines.at(1000), QByteArray("T1000:  00  ."));
}

void TestHexEdit::loadData_data() {
    QTest::addColumn<int>("firstLine");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray start("abcdefghijklmnop");
    QTest::newRow("one line in place") << 2 << QByteArray("WXYZ") << QByteArray("abcdefghWXYZmnop");
    QTest::newRow("two lines in place")
        << 2 << QByteArray("12345678") << QByteArray("abcdefgh12345678");
    QTest::newRow("part of a line")
        << 1 << QByteArray("\0\0", 2) << QByteArray("abcd\0\0ghijklmnop", 16);
    QTest::newRow("grows past the end")
        << 3 << QByteArray("12345678") << QByteArray("abcdefghijkl12345678");
    QTest::newRow("appends at the end") << 4 << QByteArray("xy") << start + "xy";
    QTest::newRow("appends from beyond the end") << 9 << QByteArray("xy") << start + "xy";
    QTest::newRow("largest first line appends") << INT_MAX << QByteArray("xy") << start + "xy";
    QTest::newRow("empty changes nothing") << 1 << QByteArray() << start;
    QTest::newRow("negative first line is line 0") << -3 << QByteArray("XY") << "XY" + start.mid(2);
    QTest::newRow("smallest first line is line 0")
        << INT_MIN << QByteArray("XY") << "XY" + start.mid(2);
}

void TestHexEdit::loadData() {
    QFETCH(int, firstLine);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    THexEdit view("DB", 4, 4);
    QVERIFY(view.LoadData(0, "abcdefghijklmnop"));
    QVERIFY(view.LoadData(firstLine, bytes.toStdString()));
    QCOMPARE(AsQ(view.Data()), expected);
}

void TestHexEdit::loadShowsOnlyLaidOutLines() {
    THexEdit view("DB", 2, 2);
    view.LoadData(1, "ABCDEF");
    QCOMPARE(AsQ(view.DumpText()), QByteArray("DB  0:  00 00  ..\r\nDB  1:  41 42  AB\r\n"));
}

void TestHexEdit::layoutAndTitleChanges() {
    THexEdit view("DB", 2, 2);
    view.LoadData(0, "ABCD");
    view.SetTitle("X");
    QCOMPARE(view.Title(), std::string("X"));
    QCOMPARE(view.Data(), std::string("ABCD"));

    QVERIFY(view.SetLayout(3, 1));
    int lines = -1;
    int perLine = -1;
    view.GetLayout(lines, perLine);
    QCOMPARE(lines, 3);
    QCOMPARE(perLine, 1);
    QCOMPARE(view.Data(), std::string(3, '\0'));
    QCOMPARE(view.Title(), std::string("X"));
}

void TestHexEdit::untrustedLayout_data() {
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("bytesPerLine");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("expectedLines");
    QTest::addColumn<int>("expectedPerLine");
    const int maxLines = THexEdit::kMaxLineCount;
    const int maxBytes = THexEdit::kMaxDataBytes;
    QTest::newRow("negative lines") << -1 << 4 << true << 0 << 4;
    QTest::newRow("negative bytes per line") << 4 << -1 << true << 4 << 0;
    QTest::newRow("smallest ints") << INT_MIN << INT_MIN << true << 0 << 0;
    QTest::newRow("largest layout")
        << maxLines << maxBytes / maxLines << true << maxLines << maxBytes / maxLines;
    QTest::newRow("one full line") << 1 << maxBytes << true << 1 << maxBytes;
    QTest::newRow("too many lines") << maxLines + 1 << 0 << false << 0 << 0;
    QTest::newRow("too wide a line") << 0 << maxBytes + 1 << false << 0 << 0;
    QTest::newRow("too many bytes") << 2 << maxBytes / 2 + 1 << false << 0 << 0;
    QTest::newRow("product overflows") << INT_MAX << INT_MAX << false << 0 << 0;
}

void TestHexEdit::untrustedLayout() {
    QFETCH(int, lineCount);
    QFETCH(int, bytesPerLine);
    QFETCH(bool, accepted);
    QFETCH(int, expectedLines);
    QFETCH(int, expectedPerLine);
    THexEdit view("DB", 2, 2);
    view.LoadData(0, "ABCDEF");
    QCOMPARE(view.SetLayout(lineCount, bytesPerLine), accepted);
    int lines = -1;
    int perLine = -1;
    view.GetLayout(lines, perLine);
    QCOMPARE(lines, expectedLines);
    QCOMPARE(perLine, expectedPerLine);
    QCOMPARE(view.Data(), std::string(std::size_t(lines) * std::size_t(perLine), '\0'));
    QCOMPARE(view.Title(), std::string("DB"));

    const THexEdit created("DB", lineCount, bytesPerLine);
    created.GetLayout(lines, perLine);
    QCOMPARE(lines, expectedLines);
    QCOMPARE(perLine, expectedPerLine);
}

void TestHexEdit::loadRefusedBeyondLimit() {
    const int maxBytes = THexEdit::kMaxDataBytes;
    THexEdit full("DB", 1, maxBytes);
    QVERIFY(full.LoadData(0, std::string(std::size_t(maxBytes), 'a')));
    QVERIFY(!full.LoadData(1, "b"));
    QCOMPARE(full.Data(), std::string(std::size_t(maxBytes), 'a'));

    THexEdit small("DB", 1, 4);
    QVERIFY(!small.LoadData(0, std::string(std::size_t(maxBytes) + 1, 'a')));
    QCOMPARE(small.Data(), std::string(4, '\0'));
}

QTEST_APPLESS_MAIN(TestHexEdit)
#include "test_hexedit.moc"
