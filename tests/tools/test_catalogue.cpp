#include "Catalogue.h"
#include "TextFile.h"
#include "Transponder.h"

#include <QTest>
#include <set>

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void shippedCatalogueIsSound();
    void readsEntriesPastBlankLinesAndCarriageReturns();
    void badLinesAreNamed_data();
    void badLinesAreNamed();
};

void TestCatalogue::shippedCatalogueIsSound() {
    std::string error;
    const auto text = emulator::readTextFile(STATION_SOURCE_DIR "/data/transponders.tsv",
                                             emulator::kMaxCatalogueBytes, error);
    QVERIFY2(text, error.c_str());
    const emulator::Catalogue catalogue = emulator::parseCatalogue(*text, error);
    QVERIFY2(error.empty(), error.c_str());
    QVERIFY(catalogue.entries.size() >= 12);
    std::set<int> types;
    for (const auto& entry : catalogue.entries) {
        QVERIFY(
            emulator::makeTransponder(entry.uid, entry.type, entry.blockCount, entry.blockSize));
        types.insert(entry.type);
    }
    QVERIFY2(types.count(0x00) && types.count(0x01) && types.count(0x03),
             "every kind of transponder the station names is there");
    const auto* first = catalogue.find(catalogue.entries.front().uid);
    QCOMPARE(first, &catalogue.entries.front());
}

void TestCatalogue::readsEntriesPastBlankLinesAndCarriageReturns() {
    std::string error;
    const auto catalogue =
        emulator::parseCatalogue("\r\nuid\ttype\tblocks\tblock_size\tdrug\r\n\r\n"
                                 "E004010012345678\t00\t28\t4\t乙醯胺酚錠 500mg\r\n"
                                 "E007000012A4C5F6\t1\t8\t8\tOmeprazole 20mg capsule",
                                 error);
    QVERIFY2(error.empty(), error.c_str());
    QCOMPARE(catalogue.entries.size(), std::size_t{2});
    QCOMPARE(catalogue.entries[0].drug, std::string("乙醯胺酚錠 500mg"));
    QCOMPARE(catalogue.entries[1].type, 0x01);
    QCOMPARE(catalogue.entries[1].blockCount, 8);
    QCOMPARE(catalogue.entries[1].blockSize, 8);
    QVERIFY(!catalogue.find(wire::Bytes{0xE0, 0x04, 0x01, 0x00, 0x12, 0x34, 0x56, 0x79}));
}

void TestCatalogue::badLinesAreNamed_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("a column short") << "E004010012345678\t00\t28\t4";
    QTest::newRow("no drug name") << "E004010012345678\t00\t28\t4\t";
    QTest::newRow("blocks too many") << "E004010012345678\t00\t300\t4\tA";
    QTest::newRow("twice") << "E004010012345678\t00\t28\t4\tA\nE004010012345678\t01\t8\t4\tB";
}

void TestCatalogue::badLinesAreNamed() {
    QFETCH(QString, line);
    std::string error;
    const auto catalogue = emulator::parseCatalogue(
        "uid\ttype\tblocks\tblock_size\tdrug\nE0070000034D8B07\t01\t64\t4\tOK\n" +
            line.toStdString() + "\n",
        error);
    QVERIFY(catalogue.entries.empty());
    QVERIFY2(error.find("line 3") != std::string::npos || error.find("line 4") != std::string::npos,
             error.c_str());
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
