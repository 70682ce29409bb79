#include "ZQDlgComPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestZQDlgComPort : public QObject {
    Q_OBJECT

private slots:
    void controlHasKindAndCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        const QStringList buttons = {"OpenPort", "ClosePort", "GetPortPara", "SetPortPara",
                                     "Baudrate"};
        for (const QString& caption : buttons)
            QTest::newRow(qPrintable(caption))
                << "Btn_" + caption << QString("QPushButton") << caption;
        QTest::newRow("Btn_OK") << "Btn_OK" << QString("QPushButton") << QString("OK");
        for (int port = 1; port <= 4; ++port)
            QTest::newRow(qPrintable(QString("Rdo_Com%1").arg(port)))
                << QString("Rdo_Com%1").arg(port) << QString("QRadioButton")
                << QString("COM%1").arg(port);
        QTest::newRow("Txt_DelayTime") << "Txt_DelayTime" << QString("QLabel") << "TxDelayTime:";
        QTest::newRow("Edt_TimeOut") << "Edt_TimeOut" << QString("QLineEdit") << "800";
        QTest::newRow("Edt_DelayTime") << "Edt_DelayTime" << QString("QLineEdit") << "5";
    }

    void controlHasKindAndCaption() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        TForm_ComPort dialog;
        auto* control = dialog.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->metaObject()->className(), kind);
        QCOMPARE(control->property("text").toString(), caption);
        QVERIFY(control->isEnabled());
    }

    void listsArePickOnlyInOrderWithoutSelection_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("Cbo_Baud") << "Cbo_Baud" << QStringList{"115200", "57600", "38400", "19200",
                                                               "9600",   "4800",  "2400",  "1200"};
        QTest::newRow("Cbo_Frame") << "Cbo_Frame" << QStringList{"8E1", "8N1", "8O1"};
    }

    void listsArePickOnlyInOrderWithoutSelection() {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        TForm_ComPort dialog;
        auto* list = dialog.findChild<QComboBox*>(name);
        QVERIFY(list);
        QVERIFY(!list->isEditable());
        QStringList actual;
        for (int i = 0; i < list->count(); ++i)
            actual << list->itemText(i);
        QCOMPARE(actual, items);
        QCOMPARE(list->currentIndex(), -1);
    }

    void firstPortIsCheckedAndPortsExcludeEachOther() {
        TForm_ComPort dialog;
        const auto radios = dialog.findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 4);
        for (QRadioButton* radio : radios) {
            QCOMPARE(radio->isChecked(), radio->objectName() == "Rdo_Com1");
            auto* frame = qobject_cast<QGroupBox*>(radio->parentWidget());
            QVERIFY(frame);
            QCOMPARE(frame->title(), QString("Port"));
        }
        dialog.findChild<QRadioButton*>("Rdo_Com3")->click();
        QVERIFY(!dialog.findChild<QRadioButton*>("Rdo_Com1")->isChecked());
    }

    void parameterControlsSitInGroupBox1() {
        TForm_ComPort dialog;
        for (const char* name : {"Cbo_Baud", "Cbo_Frame", "Edt_TimeOut", "Chk_TimeControl",
                                 "Edt_DelayTime", "Txt_DelayTime"}) {
            auto* control = dialog.findChild<QWidget*>(name);
            QVERIFY2(control, name);
            auto* box = qobject_cast<QGroupBox*>(control->parentWidget());
            QVERIFY2(box && box->title() == "GroupBox1", name);
        }
        QVERIFY(dialog.findChild<QCheckBox*>("Chk_TimeControl")->isChecked());
    }

    void delayTimeShowsWhileTimeControlIsChecked() {
        TForm_ComPort dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.findChild<QLabel*>("Txt_DelayTime")->isVisible());
        QVERIFY(dialog.findChild<QLineEdit*>("Edt_DelayTime")->isVisible());
    }

    void windowIsFixedWithCloseBoxOnly() {
        TForm_ComPort dialog;
        QCOMPARE(dialog.windowTitle(), QString("Form_ComPort"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    }

    // Absolute geometry gives no layout to catch a control pushed off its frame or onto another.
    void controlsLieInsideTheirParentAndApart() {
        TForm_ComPort dialog;
        const auto widgets = dialog.findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (widget->objectName().isEmpty() || widget->isWindow())
                continue;
            const QWidget* parent = widget->parentWidget();
            QVERIFY2(parent->rect().contains(widget->geometry()), qPrintable(widget->objectName()));
            for (QWidget* other : widgets) {
                if (other != widget && other->parentWidget() == parent &&
                    !other->objectName().isEmpty())
                    QVERIFY2(!widget->geometry().intersects(other->geometry()),
                             qPrintable(widget->objectName() + " / " + other->objectName()));
            }
        }
    }
};

QTEST_MAIN(TestZQDlgComPort)
#include "test_zqdlgcomport.moc"
