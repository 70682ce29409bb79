#include "Unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

class TestUnit1 : public QObject {
    Q_OBJECT

private slots:
    void windowIsPlacedAndCaptioned() {
        TForm1 window;
        QVERIFY(window.isWindow());
        QCOMPARE(window.windowTitle(), QString("自動資料讀取"));
        QCOMPARE(window.pos(), QPoint(313, 158));
        QCOMPARE(window.size(), QSize(629, 501));
    }

    // Trailing spaces are part of the captions.
    void controlsHaveKindBoundsAndText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QString>("text");
        QTest::newRow("rdCOM") << "rdCOM"
                               << "QGroupBox" << QRect(12, 8, 131, 77) << "選擇通訊埠";
        QTest::newRow("btnOpenPort")
            << "btnOpenPort"
            << "QPushButton" << QRect(150, 12, 115, 33) << "開啟通訊埠    ";
        QTest::newRow("btnEnd") << "btnEnd"
                                << "QPushButton" << QRect(150, 56, 115, 33) << "結束系統    ";
        QTest::newRow("Label2") << "Label2"
                                << "QLabel" << QRect(8, 90, 104, 20) << "收取的資料      ";
        QTest::newRow("btnSend") << "btnSend"
                                 << "QPushButton" << QRect(152, 96, 113, 33) << "Start";
        QTest::newRow("mReceive") << "mReceive"
                                  << "QPlainTextEdit" << QRect(12, 114, 137, 115) << "???";
        QTest::newRow("CheckBox1") << "CheckBox1"
                                   << "QCheckBox" << QRect(160, 136, 65, 17) << "Repeat";
        QTest::newRow("SpinEdit1") << "SpinEdit1"
                                   << "QSpinBox" << QRect(224, 136, 41, 22) << "1";
        QTest::newRow("ComboBox1") << "ComboBox1"
                                   << "QComboBox" << QRect(8, 240, 57, 21) << "Q";
        QTest::newRow("Edit1") << "Edit1"
                               << "QLineEdit" << QRect(72, 240, 185, 21) << "稱重資料的需求";
    }

    void controlsHaveKindBoundsAndText() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QRect, bounds);
        QFETCH(QString, text);
        TForm1 window;
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->parentWidget(), &window);
        QCOMPARE(control->metaObject()->className(), kind);
        QCOMPARE(control->geometry(), bounds);
        QString actual;
        if (auto* box = qobject_cast<QGroupBox*>(control))
            actual = box->title();
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
            actual = memo->toPlainText();
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            actual = combo->currentText();
        else if (auto* spin = qobject_cast<QSpinBox*>(control))
            actual = QString::number(spin->value());
        else
            actual = control->property("text").toString();
        QCOMPARE(actual, text);
    }

    void portChoiceStartsOnCom1() {
        TForm1 window;
        const auto items = window.findChild<QGroupBox*>("rdCOM")->findChildren<QRadioButton*>();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QString("COM1"));
        QCOMPARE(items[1]->text(), QString("COM2"));
        QVERIFY(items[0]->isChecked());
        QVERIFY(!items[1]->isChecked());
        items[1]->click();
        QVERIFY(!items[0]->isChecked());
    }

    void commandListIsPickOnlyInOrder() {
        TForm1 window;
        auto* commands = window.findChild<QComboBox*>("ComboBox1");
        QVERIFY(!commands->isEditable());
        QStringList items;
        for (int i = 0; i < commands->count(); ++i)
            items << commands->itemText(i);
        QCOMPARE(items, (QStringList{"CAL", "P", "PRT", "Q", "R", "RNG", "SMP", "U", "Z"}));
    }

    void inputsStartInTheirInitialState() {
        TForm1 window;
        auto* seconds = window.findChild<QSpinBox*>("SpinEdit1");
        QCOMPARE(seconds->minimum(), 1);
        QCOMPARE(seconds->maximum(), 60);
        QVERIFY(!window.findChild<QCheckBox*>("CheckBox1")->isChecked());
        QCOMPARE(window.findChild<QPlainTextEdit*>("mReceive")->verticalScrollBarPolicy(),
                 Qt::ScrollBarAlwaysOn);
    }

    void timerIsStoppedAtOneHundredMilliseconds() {
        TForm1 window;
        auto* timer = window.findChild<QTimer*>("Timer1");
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 100);
    }

    void closingOnlyHides() {
        auto* window = new TForm1;
        QPointer<TForm1> guard(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->close());
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard);
        QVERIFY(window->isHidden());
        delete window;
    }
};

QTEST_MAIN(TestUnit1)
#include "test_unit1.moc"
