#include "DispensingTurn.h"

#include <QTest>

Q_DECLARE_METATYPE(TurnOutcome)

class TestDispensingTurn : public QObject {
    Q_OBJECT

private slots:
    void decidesByExactSerialAndState_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QVariant>("lineSerial");
        QTest::addColumn<QVariant>("lineState");
        QTest::addColumn<TurnOutcome>("outcome");

        const QVariant null;
        const QVariant done = QStringLiteral("配藥完成");
        QTest::newRow("line's drug, undispensed")
            << "E0040001" << QVariant("E0040001") << null << TurnOutcome::DispenseLine;
        QTest::newRow("line's drug, dispensed")
            << "E0040001" << QVariant("E0040001") << done << TurnOutcome::LineDone;
        QTest::newRow("empty state counts as dispensed")
            << "E0040001" << QVariant("E0040001") << QVariant(QString("")) << TurnOutcome::LineDone;
        QTest::newRow("other drug")
            << "E0040002" << QVariant("E0040001") << null << TurnOutcome::WrongDrug;
        QTest::newRow("other drug, line dispensed")
            << "E0040002" << QVariant("E0040001") << done << TurnOutcome::WrongDrug;
        QTest::newRow("case differs")
            << "e0040001" << QVariant("E0040001") << null << TurnOutcome::WrongDrug;
        QTest::newRow("blank differs")
            << "E0040001 " << QVariant("E0040001") << null << TurnOutcome::WrongDrug;
        QTest::newRow("NULL serial matches not even empty text")
            << "" << null << null << TurnOutcome::WrongDrug;
        QTest::newRow("empty serial matches empty text")
            << "" << QVariant(QString("")) << null << TurnOutcome::DispenseLine;
        QTest::newRow("number compared as text")
            << "1234" << QVariant(1234) << null << TurnOutcome::DispenseLine;
    }

    void decidesByExactSerialAndState() {
        QFETCH(QString, tag);
        QFETCH(QVariant, lineSerial);
        QFETCH(QVariant, lineState);
        QFETCH(TurnOutcome, outcome);
        QCOMPARE(decideTurn(tag, lineSerial, lineState), outcome);
    }

    void orderIsCompleteWhenEveryLineIsSet_data() {
        QTest::addColumn<QVariantList>("states");
        QTest::addColumn<bool>("complete");
        const QVariant done = QStringLiteral("配藥完成");
        QTest::newRow("no lines") << QVariantList{} << false;
        QTest::newRow("all done") << QVariantList{done, done} << true;
        QTest::newRow("last open") << QVariantList{done, QVariant()} << false;
        QTest::newRow("first open") << QVariantList{QVariant(), done} << false;
        QTest::newRow("any value counts") << QVariantList{QString(""), QStringLiteral("x")} << true;
    }

    void orderIsCompleteWhenEveryLineIsSet() {
        QFETCH(QVariantList, states);
        QFETCH(bool, complete);
        QCOMPARE(orderComplete(states), complete);
    }
};

QTEST_APPLESS_MAIN(TestDispensingTurn)
#include "test_dispensingturn.moc"
