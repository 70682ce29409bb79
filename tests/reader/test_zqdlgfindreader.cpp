#include "ZQDlgFindReader.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestZQDlgFindReader : public QObject {
    Q_OBJECT

private slots:
    void controlsAtCreation_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("Txt_Reader") << "Txt_Reader"
                                    << "QLabel"
                                    << "Txt_Reader" << true;
        QTest::newRow("Txt_Out") << "Txt_Out"
                                 << "QLabel"
                                 << "Txt_Out" << true;
        QTest::newRow("Btn_Ok") << "Btn_Ok"
                                << "QPushButton"
                                << "OK" << false;
        QTest::newRow("Btn_Cancel") << "Btn_Cancel"
                                    << "QPushButton"
                                    << "Cancel" << true;
    }

    void controlsAtCreation() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        TForm_FindReader dialog;
        auto* control = dialog.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->metaObject()->className(), kind);
        QCOMPARE(control->property("text").toString(), caption);
        QCOMPARE(control->isEnabled(), enabled);
    }

    void headlineIsCentredBoldAndSixteenPixels() {
        TForm_FindReader dialog;
        auto* headline = dialog.findChild<QLabel*>("Txt_Reader");
        QVERIFY(headline->alignment().testFlag(Qt::AlignHCenter));
        QVERIFY(headline->font().bold());
        QCOMPARE(headline->font().pixelSize(), 16);
    }

    // The longest texts the search shows must fit without being cut.
    void longestTextsFit_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("headline") << "Txt_Reader"
                                  << "No Reader found";
        QTest::newRow("summary") << "Txt_Out"
                                 << "PortNr: 4\nBaudrate: 115200\nFrame: 8E1\nTimeOut: 65535\n"
                                    "TimeControl: 1\nDelayTime: 65535";
        QTest::newRow("no reader") << "Txt_Out"
                                   << "Set Default-Values\nfrom IniFile";
    }

    void longestTextsFit() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TForm_FindReader dialog;
        auto* label = dialog.findChild<QLabel*>(name);
        label->setText(text);
        const QSize needed = label->sizeHint();
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(QString("needs %1 x %2, has %3 x %4")
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(label->width())
                                .arg(label->height())));
    }

    void windowHasNoTitleBarButtons() {
        TForm_FindReader dialog;
        QCOMPARE(dialog.windowTitle(), QString("Form_FindReader"));
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        for (Qt::WindowType button :
             {Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
              Qt::WindowContextHelpButtonHint})
            QVERIFY(!flags.testFlag(button));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    }

    void controlsLieInsideTheDialogAndApart() {
        TForm_FindReader dialog;
        const auto controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 4);
        for (QWidget* control : controls) {
            QVERIFY2(dialog.rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
            for (QWidget* other : controls)
                QVERIFY2(other == control || !control->geometry().intersects(other->geometry()),
                         qPrintable(control->objectName() + " / " + other->objectName()));
        }
    }
};

QTEST_MAIN(TestZQDlgFindReader)
#include "test_zqdlgfindreader.moc"
