#include "LineSplitter.h"

#include <QTest>

namespace {

std::vector<std::string> drain(emulator::LineSplitter& splitter) {
    std::vector<std::string> lines;
    while (auto piece = splitter.next()) {
        lines.push_back(piece->overlong ? "<overlong>" : piece->text);
    }
    return lines;
}

} // namespace

class TestLineSplitter : public QObject {
    Q_OBJECT

private slots:
    void linesSplitAnywhere();
    void overlongLineIsDroppedWhole();
};

void TestLineSplitter::linesSplitAnywhere() {
    emulator::LineSplitter splitter;
    splitter.feed("pla", 3);
    QVERIFY(drain(splitter).empty());
    splitter.feed("ce E0\r\nlist\n\nst", 15);
    QCOMPARE(drain(splitter), (std::vector<std::string>{"place E0", "list", ""}));
    splitter.feed("atus", 4);
    QCOMPARE(splitter.rest()->text, std::string("status"));
    QVERIFY(!splitter.rest());
}

void TestLineSplitter::overlongLineIsDroppedWhole() {
    emulator::LineSplitter splitter(8);
    const std::string longLine(20, 'x');
    splitter.feed(longLine.data(), longLine.size());
    QVERIFY(drain(splitter).empty());
    splitter.feed("yyyy\nok\n", 8);
    QCOMPARE(drain(splitter), (std::vector<std::string>{"<overlong>", "ok"}));
}

QTEST_APPLESS_MAIN(TestLineSplitter)
#include "test_linesplitter.moc"
