#include "HandleTable.h"

#include <QTest>

using readerlib::HandleTable;

// Counting up, not reusing at once, refusing when full and walking in order show through the
// port and reader libraries; what they cannot reach is the end of the handles.
class TestHandleTable : public QObject {
    Q_OBJECT

private slots:
    void wrapsAroundSkippingHandlesInUse();
};

void TestHandleTable::wrapsAroundSkippingHandlesInUse() {
    // Handles end at 4: the counter must start again at 1, never overflow.
    HandleTable<int> table(3, 4);
    QCOMPARE(table.add(std::make_shared<int>(1)), 1);
    QCOMPARE(table.add(std::make_shared<int>(2)), 2);
    QCOMPARE(table.add(std::make_shared<int>(3)), 3);
    QVERIFY(table.remove(1));
    QVERIFY(table.remove(3));
    QCOMPARE(table.add(std::make_shared<int>(4)), 4);
    QCOMPARE(table.add(std::make_shared<int>(5)), 1);
    QCOMPARE(table.add(std::make_shared<int>(6)), 0); // 1, 2, 4 in use: full
    QVERIFY(table.remove(4));
    QCOMPARE(table.add(std::make_shared<int>(7)), 3); // 2 still in use
    QCOMPARE(*table.find(3), 7);

    // More room than handles: full when the handles run out, instead of searching forever.
    HandleTable<int> single(5, 1);
    QCOMPARE(single.add(std::make_shared<int>(1)), 1);
    QCOMPARE(single.add(std::make_shared<int>(2)), 0);
    QVERIFY(single.remove(1));
    QCOMPARE(single.add(std::make_shared<int>(3)), 1);
}

QTEST_APPLESS_MAIN(TestHandleTable)
#include "test_handletable.moc"
