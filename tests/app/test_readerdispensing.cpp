// The station's reader side end to end: the real windows, reader library and dispensing check
// against the reader emulator, with a prescription database file of the test's own.
#include "DayText.h"
#include "MessageBoxes.h"
#include "OrderSystem.h"
#include "ReaderEmulatorProcess.h"
#include "ReaderHandles.h"
#include "Startup.h"
#include "TestDatabase.h"
#include "Unit1.h"
#include "ZQDlgFindReader.h"
#include "ZQDlgMain.h"
#include "zqkrt.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QDate day(2009, 7, 7);
const QString first = QStringLiteral("E004010000000001");
const QString second = QStringLiteral("E004010000000002");
const QString foreign = QStringLiteral("E0040100000000FF");
const QString dispensed = QStringLiteral("配藥完成");

// Steps taken while the UI thread serves events, also inside the dispensing run; each step
// runs once its condition holds.
class Script : public QObject {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit Script(QList<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (!steps_.isEmpty() && steps_.first().ready()) {
                const Step step = steps_.takeFirst();
                step.act();
            }
        });
        timer_.start(10);
    }
    bool done() const { return steps_.isEmpty(); }

private:
    QList<Step> steps_;
    QTimer timer_;
};

} // namespace

class TestReaderDispensing : public QObject {
    Q_OBJECT

    TestDatabase database;
    ReaderEmulatorProcess emulator;
    ReaderEmulatorProcess polledBalance;
    ReaderEmulatorProcess terminalBalance;
    platform::MessageRecorder messages;
    std::unique_ptr<StationWindows> windows;

    template <typename T> T* child(const char* name) const {
        T* found = windows->Form_Main().findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr)
            qFatal("no child %s", name);
        return found;
    }
    QTreeWidget* orders() const { return child<QTreeWidget>("ListView1"); }
    QString lineState(int item) {
        return database.lineState(db::DayText(day), QStringLiteral("1"), item).toString();
    }
    // The reader's handles, which the main window owns.
    ReaderHandles& handles() const { return windows->Form_Main().readerHandles(); }
    QString logProt() const {
        char value[256] = {};
        return ZQKRT_GetReaderPara(handles().ReaderHandle, "LogProt", value) < 0
                   ? QString()
                   : QString::fromLatin1(value);
    }
    bool place(const QString& uid) { return emulator.command("place " + uid); }
    bool remove(const QString& uid) { return emulator.command("remove " + uid); }

    // Shows the main window; its search is answered with OK once it has found the reader.
    void showStation() {
        Script answer(
            {{[this] {
                  auto* ok = windows->Form_FindReader().findChild<QPushButton*>("Btn_Ok");
                  return windows->Form_FindReader().isVisible() && ok->isEnabled();
              },
              [this] { windows->Form_FindReader().findChild<QPushButton*>("Btn_Ok")->click(); }}});
        QSignalSpy shown(&windows->Form_Main(), &TForm_Main::showStepsRun);
        showMainWindow(windows->Form_Main());
        QVERIFY(shown.wait(30000));
        QVERIFY(answer.done());
        QVERIFY(handles().PortHandle > 0);
    }

private slots:
    // Each emulator in a folder of its own, linked under its COM name here: the polled balance
    // on COM1, where the polling link opens it, the terminal window's balance on COM2, the
    // reader on COM3.
    void startEmulator(ReaderEmulatorProcess& process, const char* program, int port) {
        const QString folder = database.folder() + QString("/com%1").arg(port);
        const QString name = QString("COM%1").arg(port);
        QString error;
        QVERIFY2(process.start(QCoreApplication::applicationDirPath() + "/" + program, folder,
                               {"--port", name, "--no-delays"}, error),
                 qPrintable(error));
        QVERIFY(QFile::link(folder + QString("/dosdevices/com%1").arg(port),
                            QString("dosdevices/com%1").arg(port)));
    }

    void initTestCase() {
        QDir().mkpath("dosdevices");
        QVERIFY(QFile::link(database.folder() + "/none", "dosdevices/com4"));
        startEmulator(polledBalance, "balance-emulator", 1);
        startEmulator(terminalBalance, "balance-emulator", 2);
        startEmulator(emulator, "reader-emulator", 3);
        QVERIFY(terminalBalance.command("weight 12.34"));
        database.addPatient(QStringLiteral("P1"), QStringLiteral("王小明"), 1);
        database.addOrder(db::DayText(day), QStringLiteral("1"), QStringLiteral("P1"));
        database.addDrug(QStringLiteral("A"), first);
        database.addDrug(QStringLiteral("B"), second);
        database.addLine(db::DayText(day), QStringLiteral("1"), 1, QStringLiteral("A"));
        database.addLine(db::DayText(day), QStringLiteral("1"), 2, QStringLiteral("B"));
        windows = std::make_unique<StationWindows>();
        windows->Form_Main().setDispensingPause(0);
        // The terminal window reads the weight that the dispensing check shows.
        TForm1& terminal = windows->Form1();
        terminal.findChild<QRadioButton*>("rdCOM_COM2")->setChecked(true);
        terminal.btnOpenPortClick();
        QVERIFY(terminal.portOpen());
        child<QDateEdit>("DateTimePicker1")->setDate(day);
        QCOMPARE(orders()->topLevelItemCount(), 1);
    }

    void cleanupTestCase() { windows.reset(); }

    // A foreign container warns and beeps; the order's containers laid one after the other
    // are stored, and the last one completes the order.
    void containersOnTheReaderDispenseTheOrder() {
        showStation();
        QTRY_COMPARE_WITH_TIMEOUT(windows->Form1().WeightText(), QStringLiteral("00012.34"), 20000);
        QVERIFY(place(foreign));
        QString warning;
        Script script({{[this] { return messages.beeps() > 0; },
                        [&] {
                            warning = windows->Form_Main().statusPanel()->text();
                            QVERIFY(remove(foreign) && place(first));
                        }},
                       {[this] { return lineState(1) == dispensed; },
                        [this] { QVERIFY(remove(first) && place(second)); }}});
        QTest::mouseClick(orders()->viewport(), Qt::LeftButton, {},
                          orders()->visualItemRect(orders()->topLevelItem(0)).center());
        QTRY_VERIFY_WITH_TIMEOUT(orders()->isEnabled(), 30000);
        QVERIFY(script.done());
        QCOMPARE(warning, QStringLiteral("警告!! 拿錯藥品!!"));
        QCOMPARE(lineState(1), dispensed);
        QCOMPARE(lineState(2), dispensed);
        QCOMPARE(orders()->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(child<QLineEdit>("WeightTemp")->text(), QStringLiteral("00012.34克"));
        QCOMPARE(child<QPushButton>("Btn_Run")->text(), QStringLiteral("&Stop"));
        QVERIFY(!child<QAction>("MItem_SearchReader")->isEnabled());
    }

    // Closing stops the inventory and resets the tag tools; the next show finds the reader on
    // the port it still holds.
    void closeStopsTheInventoryAndTheNextShowFindsTheReader() {
        QVERIFY(windows->Form_Main().isVisible());
        QTRY_COMPARE(child<QTreeWidget>("ListView_TagList")->topLevelItemCount(), 1);
        windows->Form_Main().MItem_ExitClick();
        QVERIFY(!windows->Form_Main().isVisible());
        QCOMPARE(child<QTreeWidget>("ListView_TagList")->topLevelItemCount(), 0);
        QCOMPARE(child<QLineEdit>("Edt_TagList")->text(), QString());
        QCOMPARE(child<QPushButton>("Btn_Run")->text(), QStringLiteral("&Run"));
        QVERIFY(child<QAction>("MItem_ComPort")->isEnabled());
        QVERIFY(child<QAction>("MItem_SearchReader")->isEnabled());
        showStation();
        QVERIFY(messages.messages().isEmpty());
    }

    // The menu search lets go of the open port first (else it could not find its own reader),
    // and keeps the protocol log off while it runs.
    void menuSearchFindsTheReaderOnItsOwnPort() {
        QVERIFY(handles().PortHandle > 0);
        QString logDuringSearch;
        Script answer({{[this] {
                            auto* ok = windows->Form_FindReader().findChild<QPushButton*>("Btn_Ok");
                            return windows->Form_FindReader().isVisible() && ok->isEnabled();
                        },
                        [&] {
                            logDuringSearch = logProt();
                            windows->Form_FindReader().findChild<QPushButton*>("Btn_Ok")->click();
                        }}});
        child<QAction>("MItem_SearchReader")->trigger();
        QVERIFY(answer.done());
        QCOMPARE(logDuringSearch, QStringLiteral("0"));
        QCOMPARE(logProt(), QStringLiteral("1"));
        QVERIFY(handles().PortHandle > 0);
        QVERIFY(messages.messages().isEmpty());
    }
};

QTEST_MAIN(TestReaderDispensing)
#include "test_readerdispensing.moc"
