#include "IniFile.h"
#include "MessageBoxes.h"
#include "ReaderPortFixture.h"
#include "WindowControls.h"
#include "ZQDlgComPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

template <typename T = QAbstractButton> T* control(const TForm_ComPort& dialog, const char* name) {
    return dialog.findChild<T*>(name);
}

// Enabled states of Btn_OpenPort, the four port buttons and Btn_OK, as '1' and '0'.
QString buttons(const TForm_ComPort& dialog) {
    QString states;
    for (const char* name : {"Btn_OpenPort", "Btn_ClosePort", "Btn_GetPortPara", "Btn_SetPortPara",
                             "Btn_Baudrate", "Btn_OK"}) {
        states += control(dialog, name)->isEnabled() ? '1' : '0';
    }
    return states;
}

QStringList texts(const platform::MessageRecorder& recorder) {
    QStringList texts;
    for (const platform::Message& message : recorder.messages())
        texts << message.text;
    return texts;
}

} // namespace

class TestZQDlgComPort : public QObject {
    Q_OBJECT

    ReaderPortFixture fixture;

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(fixture.start(error), qPrintable(error));
    }

    void init() {
        fixture.reset();
        QVERIFY(fixture.emulator.command("frame 8E1"));
    }

    void buttonsFollowThePort() {
        FakePortHost host(fixture.handles);
        TForm_ComPort dialog(fixture.handles);
        dialog.setHost(&host);
        dialog.show();
        QCOMPARE(buttons(dialog), QString("100001"));
        // Enter in a field presses no button: no port opens with a time-out nobody checked.
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            QVERIFY(!button->isDefault() && !button->autoDefault());
        auto* timeOut = control<QLineEdit>(dialog, "Edt_TimeOut");
        timeOut->setFocus();
        timeOut->setText("abc");
        QTest::keyClick(timeOut, Qt::Key_Return);
        QTest::keyClick(control(dialog, "Rdo_Com1"), Qt::Key_Enter);
        QTest::keyClick(control<QComboBox>(dialog, "Cbo_Baud"), Qt::Key_Return);
        QCOMPARE(fixture.handles.PortHandle.load(), 0);
        QVERIFY(dialog.isVisible());
        timeOut->setText("800");
        // Enter on a focused button presses it, as Space does.
        QTest::keyClick(control(dialog, "Btn_OpenPort"), Qt::Key_Return);
        const std::int32_t port = fixture.handles.PortHandle;
        QCOMPARE(buttons(dialog), QString("011111"));
        dialog.Btn_OpenPortClick();
        QCOMPARE(fixture.handles.PortHandle.load(), port);
        control(dialog, "Rdo_Com3")->click();
        QCOMPARE(buttons(dialog), QString("000001"));
        control(dialog, "Rdo_Com1")->click();
        QCOMPARE(buttons(dialog), QString("011111"));
        QTest::keyClick(control(dialog, "Btn_ClosePort"), Qt::Key_Space);
        QCOMPARE(host.runEnabled, std::optional<bool>(false));
        QCOMPARE(buttons(dialog), QString("100001"));

        // A port that opens but cannot be bound to the reader is still open.
        const std::int32_t reader = fixture.handles.ReaderHandle.exchange(0);
        control(dialog, "Btn_OpenPort")->click();
        fixture.handles.ReaderHandle = reader;
        QVERIFY(fixture.handles.PortHandle > 0);
        QCOMPARE(host.runEnabled, std::optional<bool>(true));
        QCOMPARE(buttons(dialog), QString("011111"));
        QCOMPARE(texts(fixture.messages),
                 (QStringList{"One Port is already open",
                              "ZQCOM-ErrorCode: " + QString::number(ZQKRT_ERR_BAD_HANDLE)}));
    }

    void baudRateProbe_data() {
        QTest::addColumn<QString>("readerFrame");
        QTest::addColumn<QString>("failingRate");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("baud");
        const char* rows[][5] = {{"found", "8E1", "", "FoundReader\r\nBaudrate: 9600", "9600"},
                                 {"not found", "8O1", "", "Reader not found", "19200"},
                                 {"fails half-way", "8O1", "4800", "ZQCOM-ErrorCode: -3", "19200"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3])
                                  << QString(row[4]);
    }

    // Ends at the saved time-out, and at the saved rate unless a rate answered.
    void baudRateProbe() {
        QFETCH(QString, readerFrame);
        QFETCH(QString, failingRate);
        QFETCH(QString, message);
        QFETCH(QString, baud);
        QVERIFY(fixture.emulator.command("frame " + readerFrame));
        ReaderLibraryCalls library;
        library.SetPortPara = [failing = failingRate.toStdString()](
                                  std::int32_t port, const char* name, const char* value) {
            return std::strcmp(name, ZQCOM_PARA_BAUD) == 0 && value == failing
                       ? std::int32_t{ZQCOM_ERR_BAD_VALUE}
                       : ZQCOM_SetPortPara(port, name, value);
        };
        TForm_ComPort dialog(fixture.handles);
        dialog.setLibrary(library);
        dialog.show();
        control<QComboBox>(dialog, "Cbo_Baud")->setCurrentText("19200");
        control<QLineEdit>(dialog, "Edt_TimeOut")->setText("700");
        control(dialog, "Btn_OpenPort")->click();
        control(dialog, "Btn_Baudrate")->click();
        QCOMPARE(texts(fixture.messages), QStringList{message});
        QCOMPARE(fixture.portParameter("Baud") + "/" + fixture.portParameter("TimeOut"),
                 baud.toStdString() + "/700");
        QCOMPARE(control<QComboBox>(dialog, "Cbo_Baud")->currentText(), baud);
    }

    // Any close saves through the host: nothing without a port, so an old file stays as it was;
    // with one, all its settings, which the next show reads back.
    void closingSavesAnOpenPort() {
        FakePortHost host(fixture.handles);
        QFile file(QString::fromStdString(host.iniPath));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("COM=4") == 5);
        file.close();
        TForm_ComPort dialog(fixture.handles);
        dialog.setHost(&host);
        dialog.show();
        control(dialog, "Btn_OK")->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("COM=4"));

        dialog.show();
        control<QComboBox>(dialog, "Cbo_Baud")->setCurrentText("9600");
        control<QLineEdit>(dialog, "Edt_TimeOut")->setText("700");
        control(dialog, "Chk_TimeControl")->click();
        control(dialog, "Btn_OpenPort")->click();
        dialog.close();
        std::string saved;
        for (const char* key : {"COM", "Baud", "Frame", "Timeout", "TxTimeControl", "TxDelayTime"})
            saved += platform::readPrivateProfileString("COMPORT", key, "?", host.iniPath) + " ";
        QCOMPARE(saved, std::string("1 9600 8E1 700 0 5 "));

        control(dialog, "Chk_TimeControl")->click();
        control(dialog, "Rdo_Com2")->click();
        dialog.show();
        QCOMPARE(control<QLineEdit>(dialog, "Edt_TimeOut")->text(), QString("700"));
        QVERIFY(control<QWidget>(dialog, "Edt_DelayTime")->isHidden());
        QVERIFY(control<QWidget>(dialog, "Txt_DelayTime")->isHidden());
        QVERIFY(control(dialog, "Rdo_Com1")->isChecked());
        QVERIFY(fixture.messages.messages().isEmpty());
    }

    // An open PC/SC reader shows as a fifth choice with its port and name, and the buttons keep
    // the meaning of the port table; closing it hides the choice and leaves COM1 chosen.
    void openPcscReaderIsShownAsItIs() {
        ReaderLibraryCalls library;
        library.GetPortPara = [](std::int32_t, const char* name, char* value, std::size_t size) {
            const std::map<std::string, std::string> values = {
                {"PortNr", "6"},     {"ReaderName", "Desk Reader 01 00"},
                {"Baud", "38400"},   {"Frame", "8E1"},
                {"TimeOut", "800"},  {"TxTimeControl", "1"},
                {"TxDelayTime", "5"}};
            std::snprintf(value, size, "%s", values.at(name).c_str());
            return std::int32_t{ZQCOM_OK};
        };
        library.ClosePort = [](std::int32_t) { return std::int32_t{ZQCOM_OK}; };
        TForm_ComPort dialog(fixture.handles);
        dialog.setLibrary(library);
        fixture.handles.PortHandle = 1234;
        dialog.show();
        auto* pcsc = control(dialog, "Rdo_Pcsc");
        QVERIFY(pcsc->isVisible() && pcsc->isChecked());
        QCOMPARE(pcsc->text(), QString("PC/SC 6"));
        QCOMPARE(pcsc->toolTip(), QString("Desk Reader 01 00"));
        QCOMPARE(buttons(dialog), QString("011111"));
        control(dialog, "Rdo_Com2")->click();
        QCOMPARE(buttons(dialog), QString("000001"));
        pcsc->click();
        QCOMPARE(buttons(dialog), QString("011111"));
        control(dialog, "Btn_ClosePort")->click();
        QCOMPARE(fixture.handles.PortHandle.load(), 0);
        QCOMPARE(buttons(dialog), QString("100001"));
        QVERIFY(pcsc->isHidden() && control(dialog, "Rdo_Com1")->isChecked());
        QVERIFY(fixture.messages.messages().isEmpty());
    }

    void editFallsBackUnlessWholeNumber_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("left");
        const char* rows[][4] = {{"letters", "Edt_TimeOut", "abc", "800"},
                                 {"empty", "Edt_TimeOut", "", "800"},
                                 {"blanks, sign, hex", "Edt_TimeOut", "  -$1F", "  -$1F"},
                                 {"smallest", "Edt_TimeOut", "-0x80000000", "-0x80000000"},
                                 {"too large", "Edt_TimeOut", "2147483648", "800"},
                                 {"trailing blank", "Edt_DelayTime", "12 ", "5"},
                                 {"prefix only", "Edt_DelayTime", "0x", "5"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
    }

    void editFallsBackUnlessWholeNumber() {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(QString, left);
        TForm_ComPort dialog(fixture.handles);
        auto* field = control<QLineEdit>(dialog, qPrintable(edit));
        field->setText(text);
        // The edit's context menu or another window takes the focus only for a while.
        for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
            QFocusEvent focusLent(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(field, &focusLent);
            QCOMPARE(field->text(), text);
        }
        QFocusEvent focusLeft(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field, &focusLeft);
        QCOMPARE(field->text(), left);
    }

    void controlHasKindAndCaption_data() {
        addControlColumns();
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
        TForm_ComPort dialog(fixture.handles);
        if (const QWidget* control = namedControl(dialog))
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
        TForm_ComPort dialog(fixture.handles);
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
        TForm_ComPort dialog(fixture.handles);
        const auto radios = dialog.findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 5);
        QVERIFY(control(dialog, "Rdo_Pcsc")->isHidden());
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
        TForm_ComPort dialog(fixture.handles);
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
        TForm_ComPort dialog(fixture.handles);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.findChild<QLabel*>("Txt_DelayTime")->isVisible());
        QVERIFY(dialog.findChild<QLineEdit*>("Edt_DelayTime")->isVisible());
    }

    void windowIsFixedWithCloseBoxOnly() {
        TForm_ComPort dialog(fixture.handles);
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
        TForm_ComPort dialog(fixture.handles);
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
