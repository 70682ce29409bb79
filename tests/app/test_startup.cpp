#include "BalanceLink.h"
#include "HexEdit.h"
#include "IniFile.h"
#include "MessageBoxes.h"
#include "OrderSystem.h"
#include "ReaderEmulatorProcess.h"
#include "ReaderHandles.h"
#include "ReaderIniPath.h"
#include "Startup.h"
#include "Unit1.h"
#include "ZQDlgComPort.h"
#include "ZQDlgFindReader.h"
#include "ZQDlgMain.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

// Keeps where a window stands when its native window is shown.
class PlaceAtMap : public QObject {
public:
    PlaceAtMap(QWidget& window, QPoint& place) : window_(window), place_(place) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            place_ = window_.pos();
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    QPoint& place_;
};

// The station's start-up, its entry window and the main window's show and close steps.
class TestStartup : public QObject {
    Q_OBJECT

    // An empty working folder: there is no prescription database.
    QTemporaryDir workFolder;
    ReaderEmulatorProcess balance;
    std::unique_ptr<StationWindows> windows;
    platform::MessageRecorder* messages = nullptr;

    QWidget* picture() const { return windows->OrderForm().findChild<QWidget*>("Image1"); }
    // The reader's handles, which the main window owns.
    ReaderHandles& handles() const { return windows->Form_Main().readerHandles(); }

    // A click that shows the main window returns once its show steps have run.
    void clickPicture(QPoint at = QPoint(400, 150)) {
        QSignalSpy shown(&windows->Form_Main(), &TForm_Main::showStepsRun);
        const bool wasVisible = windows->Form_Main().isVisible();
        QTest::mouseClick(picture(), Qt::LeftButton, Qt::NoModifier, at);
        if (!wasVisible && windows->Form_Main().isVisible())
            QVERIFY(shown.count() > 0 || shown.wait(30000));
    }

    // Under a window manager the frame comes some time after the show: the outer size counts
    // once it is there.
    static void compareOuterSize(QWidget& window, QSize size) {
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (QGuiApplication::platformName() == QStringLiteral("xcb"))
            QTRY_VERIFY_WITH_TIMEOUT(window.frameGeometry() != window.geometry(), 20000);
        QTRY_COMPARE(window.frameGeometry().size(), size);
    }

    QString logProt() const {
        char value[256] = {};
        if (ZQKRT_GetReaderPara(handles().ReaderHandle, "LogProt", value) < 0) {
            return QStringLiteral("<error>");
        }
        return QString::fromLatin1(value);
    }

private slots:
    // A balance answers on COM1; the other COM names lead nowhere, so the search at each show
    // never touches a real port.
    void initTestCase() {
        QVERIFY(workFolder.isValid() && QDir::setCurrent(workFolder.path()));
        QVERIFY(QDir().mkpath("dosdevices"));
        for (int port = 2; port <= 4; ++port)
            QVERIFY(
                QFile::link(workFolder.filePath("none"), QString("dosdevices/com%1").arg(port)));
        QString error;
        QVERIFY2(balance.start(QCoreApplication::applicationDirPath() + "/balance-emulator",
                               workFolder.path(), {"--port", "COM1", "--no-delays"}, error),
                 qPrintable(error));
    }

    // The search at every show finds no reader: it is answered with Cancel, as a user would.
    void cancelEverySearch() {
        auto* answer = new QTimer(&windows->Form_Main());
        connect(answer, &QTimer::timeout, answer, [this] {
            // The windows' destruction serves events too, with the windows half gone.
            if (windows == nullptr)
                return;
            TForm_FindReader& search = windows->Form_FindReader();
            auto* cancel = search.findChild<QPushButton*>("Btn_Cancel");
            if (search.isVisible() && cancel->isEnabled())
                cancel->click();
        });
        answer->start(20);
    }

    // Creating the main window reports the missing database once; the tests count the
    // messages that come after.
    void init() {
        messages = new platform::MessageRecorder;
        windows = std::make_unique<StationWindows>();
        QCOMPARE(messages->messages().size(), 1);
        messages->clear();
        windows->OrderForm().show();
        QVERIFY(QTest::qWaitForWindowExposed(&windows->OrderForm()));
        cancelEverySearch();
    }

    void cleanup() {
        windows.reset();
        delete messages;
    }

    void windowsAreCreatedInOrderAndOnlyTheEntryWindowShows() {
        windows.reset();
        QStringList order;
        windows = std::make_unique<StationWindows>(
            [&order](QWidget& window) { order << window.metaObject()->className(); });
        QCOMPARE(order, (QStringList{"TOrderForm", "TForm_Main", "TForm_FindReader",
                                     "TForm_ComPort", "TForm1"}));
        windows->OrderForm().show();
        QVERIFY(windows->OrderForm().isVisible());
        QVERIFY(!windows->Form_Main().isVisible());
        QVERIFY(!windows->Form_FindReader().isVisible());
        QVERIFY(!windows->Form_ComPort().isVisible());
        QVERIFY(!windows->Form1().isVisible());
        QCOMPARE(windows->OrderForm().windowTitle(), QStringLiteral("dur4"));
    }

    void missingDatabaseLeavesAnEmptyOrderListAndStartUpGoesOn() {
        windows.reset();
        windows = std::make_unique<StationWindows>();
        QCOMPARE(messages->messages().size(), 1);
        QCOMPARE(messages->messages().first().icon, platform::MessageIcon::Error);
        QCOMPARE(windows->Form_Main().findChild<QTreeWidget*>("ListView1")->topLevelItemCount(), 0);
    }

    void datePickerEndsToday() {
        auto* picker = windows->Form_Main().findChild<QDateEdit*>("DateTimePicker1");
        QCOMPARE(picker->date(), QDate::currentDate());
        QCOMPARE(picker->maximumDate(), QDate::currentDate());
        picker->setDate(QDate::currentDate().addDays(1));
        QCOMPARE(picker->date(), QDate::currentDate());
    }

    void clickOnPictureShowsMainWindowAndRunsShowSteps() {
        QCOMPARE(messages->messages().size(), 0);
        TForm_Main& main = windows->Form_Main();
        // Centred when its window is mapped: a window manager places a window mapped without a
        // place of its own, and a later move may lose that race.
        main.winId();
        QPoint mappedAt;
        PlaceAtMap placeAtMap(main, mappedAt);
        main.windowHandle()->installEventFilter(&placeAtMap);
        clickPicture();
        QRect centred(QPoint(), QSize(680, 380));
        centred.moveCenter(main.screen()->availableGeometry().center());
        QCOMPARE(mappedAt, centred.topLeft());
        QVERIFY(main.isVisible());
        compareOuterSize(main, QSize(680, 380));
        QVERIFY(handles().ReaderHandle > 0);
        QCOMPARE(logProt(), QStringLiteral("1"));
        QVERIFY(main.tagDataView() != nullptr);
        // The balance's polling runs, its terminal window hidden.
        TForm1& terminal = windows->Form1();
        QVERIFY(!terminal.isVisible());
        QVERIFY(terminal.findChild<QTimer*>("Timer1")->isActive());
        QCOMPARE(terminal.findChild<QPushButton*>("btnSend")->text(), QStringLiteral("Stop"));
        QVERIFY(terminal.findChild<QCheckBox*>("CheckBox1")->isChecked());
        QVERIFY(main.balanceLink().portOpen());
        int lines = 0;
        int bytesPerLine = 0;
        main.tagDataView()->GetLayout(lines, bytesPerLine);
        QCOMPARE(lines, 11);
        QCOMPARE(bytesPerLine, 4);
        QCOMPARE(main.tagDataView()->Title(), std::string("DB"));
        QCOMPARE(messages->messages().size(), 0);
    }

    void clickOnEmptyGridDoesNothing() {
        auto* grid = windows->OrderForm().findChild<QTableView*>("DBGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
        QVERIFY(!windows->Form_Main().isVisible());
    }

    void secondClickDoesNotRepeatShowSteps() {
        clickPicture();
        const std::int32_t firstReader = handles().ReaderHandle;
        clickPicture();
        QVERIFY(windows->Form_Main().isVisible());
        QCOMPARE(handles().ReaderHandle.load(), firstReader);
    }

    void exitHidesMainWindowAndNextClickShowsItAfresh() {
        clickPicture();
        const std::int32_t firstReader = handles().ReaderHandle;
        TForm_Main& main = windows->Form_Main();
        main.MItem_ExitClick();
        QVERIFY(!main.isVisible());
        QVERIFY(windows->OrderForm().isVisible());

        // Whatever size it was given meanwhile, the next show makes it 680 x 380 again.
        main.setFixedSize(900, 700);
        clickPicture();
        QVERIFY(main.isVisible());
        QVERIFY(handles().ReaderHandle != firstReader);
        compareOuterSize(main, QSize(680, 380));
        // The balance port of the first show is kept, and polled by one worker still.
        QVERIFY(main.balanceLink().portOpen());
        QCOMPARE(main.balanceLink().workerCount(), 1);
        QCOMPARE(messages->messages().size(), 0);
    }

    void balanceMenuShowsTheTerminalWindow() {
        clickPicture();
        auto* balance = windows->Form_Main().findChild<QAction*>("MItem_Balance");
        QCOMPARE(balance->text(), QStringLiteral("&Balance..."));
        balance->trigger();
        QVERIFY(windows->Form1().isVisible());
        QCOMPARE(messages->messages().size(), 0);
    }

    // One balance, set in the INI file for the terminal window: no link holds its port, and the
    // weight comes without a click.
    void iniLetsTheTerminalWindowTakeTheOneBalance() {
        const QString ini = QString::fromStdString(readerIniPath());
        const auto removeIni = qScopeGuard([&ini] { QFile::remove(ini); });
        QVERIFY(platform::writePrivateProfileStrings(
            "Balance", {{"PollPort", "none"}, {"Port", "COM1"}, {"OpenAtShow", "1"}},
            ini.toStdString()));
        clickPicture();
        QCOMPARE(windows->Form_Main().balanceLink().workerCount(), 0);
        QVERIFY(windows->Form1().portOpen());
        QTRY_COMPARE_WITH_TIMEOUT(windows->Form1().WeightText(), QStringLiteral("00000.00"), 10000);
        QCOMPARE(messages->messages().size(), 0);
    }

    void exitFromTheMenuClosesTheWindow() {
        clickPicture();
        auto* exit = windows->Form_Main().findChild<QAction*>("MItem_Exit");
        QCOMPARE(exit->text(), QStringLiteral("&Exit"));
        exit->trigger();
        QVERIFY(!windows->Form_Main().isVisible());
    }

    void rightClickShowsNoMenu() {
        clickPicture();
        TForm_Main& main = windows->Form_Main();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(600, 200),
                                main.mapToGlobal(QPoint(600, 200)));
        QApplication::sendEvent(&main, &event);
        QVERIFY(main.findChild<QMenu*>("PopupMenu1") != nullptr);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void button2WithoutAnOrderChangesNothing() {
        clickPicture();
        auto* button = windows->Form_Main().findChild<QPushButton*>("Button2");
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(windows->Form_Main().isVisible());
        QCOMPARE(messages->messages().size(), 0);
    }

    // Closing the entry window ends the application, and a visible main window is left as
    // it is: its close steps do not run.
    void closingEntryWindowEndsTheApplication() {
        clickPicture();
        QTimer::singleShot(0, &windows->OrderForm(), &QWidget::close);
        QTimer guard;
        guard.setSingleShot(true);
        bool endedByGuard = false;
        connect(&guard, &QTimer::timeout, [&endedByGuard] {
            endedByGuard = true;
            QCoreApplication::exit(1);
        });
        guard.start(30000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!endedByGuard);
        QVERIFY(windows->Form_Main().isVisible());
    }

    // A search that finds nothing is cancelled and the port comes from the INI file: here one
    // that cannot be opened, which is reported and leaves the inventory unstartable.
    void cancelledSearchRestoresThePortFromTheIniFile() {
        QFile ini("ZQKRT_Tovrel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[COMPORT]\r\nCOM=2\r\n");
        ini.close();
        clickPicture();
        QVERIFY(ini.remove());
        QCOMPARE(messages->messages().size(), 1);
        QCOMPARE(messages->messages().first().text,
                 QStringLiteral("ZQCOM-ErrorCode: %1").arg(ZQCOM_ERR_OPEN_FAILED));
        QVERIFY(!windows->Form_Main().findChild<QPushButton*>("Btn_Run")->isEnabled());
        QCOMPARE(handles().PortHandle.load(), 0);
        QCOMPARE(logProt(), QStringLiteral("1"));
    }

    // A port held since the last show that cannot be closed is reported and not searched over:
    // the search would drop its handle with the port still open.
    void heldPortThatCannotBeClosedIsNotSearchedOver() {
        QFile ini("ZQKRT_Tovrel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[COMPORT]\r\nCOM=2\r\n");
        ini.close();
        const std::int32_t stale = 99999;
        handles().PortHandle = stale;
        clickPicture();
        QVERIFY(ini.remove());
        QCOMPARE(handles().PortHandle.exchange(0), stale);
        QCOMPARE(messages->messages().size(), 1);
        QCOMPARE(messages->messages().first().text,
                 QStringLiteral("ZQCOM-ErrorCode: %1").arg(ZQCOM_ERR_BAD_HANDLE));
        QCOMPARE(logProt(), QStringLiteral("1"));
        QVERIFY(windows->Form_Main().tagDataView() != nullptr);
    }

    // Uses up the library's readers, so it runs last.
    void readerThatCannotBeCreatedEndsTheShowSteps() {
        while (ZQKRT_NewReader(0) > 0) {
        }
        clickPicture();
        QVERIFY(windows->Form_Main().isVisible());
        compareOuterSize(windows->Form_Main(), QSize(680, 380));
        QCOMPARE(messages->messages().size(), 1);
        const platform::Message& shown = messages->messages().first();
        QCOMPARE(shown.text, QStringLiteral("ZQCOM-ErrorCode: %1").arg(ZQKRT_ERR_TOO_MANY_READERS));
        QCOMPARE(shown.caption, QStringLiteral("Error"));
        QCOMPARE(shown.icon, platform::MessageIcon::Exclamation);
        QVERIFY(windows->Form_Main().tagDataView() == nullptr);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
