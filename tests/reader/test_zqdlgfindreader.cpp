#include "BaudRates.h"
#include "FindReaderThread.h"
#include "ReaderEmulatorProcess.h"
#include "ReaderHandles.h"
#include "WindowControls.h"
#include "WorkingFolder.h"
#include "ZQDlgFindReader.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>

using namespace std::string_literals;

namespace {

constexpr int kLimitMs = 120000;
const QString kNoReaderText = "Set Default-Values\r\nfrom IniFile";

// A reader line in memory, used by one thread at a time: the search waits while its steps run.
// Every open, close, setting and probe is logged as text; COM1 and COM3 open, and a reader
// answers the baud query only on COM3 at 8O1 and 2400. The one call named by failOn fails.
// Ports in cards open as PC/SC readers of that name, which answer unless silent.
struct FakeLine {
    QString failOn;
    QStringList log;
    std::map<std::string, std::string> cards;
    std::map<std::string, std::int32_t> openFailures;
    std::string silentCard;
    std::function<void(const std::string&)> onOpen;
    // The parameters of the port opened last, names in lower case.
    std::map<QString, std::string> port;

    int record(const QString& call) {
        log << call;
        return call == failOn ? -1 : 0;
    }

    ReaderLibraryCalls library() {
        ReaderLibraryCalls calls;
        calls.OpenPort = [this](const char* nr) {
            if (onOpen)
                onOpen(nr);
            const auto card = cards.find(nr);
            if (record(QString("open %1").arg(nr)) < 0 ||
                (nr != "1"s && nr != "3"s && card == cards.end()))
                return -7;
            if (const auto failure = openFailures.find(nr); failure != openFailures.end())
                return failure->second;
            port = {{"portnr", nr}, {"txtimecontrol", "1"}, {"txdelaytime", "5"}};
            if (card != cards.end())
                port.insert({{"readername", card->second}, {"timeout", "800"}});
            return 10 + std::atoi(nr);
        };
        calls.ClosePort = [this](std::int32_t handle) {
            return record(QString("close %1").arg(handle));
        };
        calls.SetReaderPara = [this](std::int32_t, const char* name, const char* value) {
            return record(QString("%1 %2").arg(name, value));
        };
        calls.SetPortPara = [this](std::int32_t handle, const char* name, const char* value) {
            port[QString(name).toLower()] = value;
            return record(QString("%1 %2 %3").arg(handle).arg(name, value));
        };
        calls.GetPortPara = [this](std::int32_t, const char* name, char* value, std::size_t size) {
            const std::string text = port[QString(name).toLower()];
            if (text.size() >= size)
                return -6;
            std::memcpy(value, text.c_str(), text.size() + 1);
            return 0;
        };
        calls.Reader.GetBaud = [this](std::int32_t, std::int32_t) {
            record("probe");
            const bool answers =
                !port["readername"].empty()
                    ? port["portnr"] != silentCard
                    : port["portnr"] == "3" && port["frame"] == "8O1" && port["baud"] == "2400";
            return answers ? 0 : ZQKRT_ERR_TIMEOUT;
        };
        return calls;
    }
};

// The calls of a search on port handle port, frame by frame, up to the probe at lastBaud of
// lastFrame.
QStringList attempts(int port, const QString& lastFrame, const QString& lastBaud) {
    QStringList calls{QString("PortHnd %1").arg(port)};
    for (const QString frame : {"8E1", "8N1", "8O1"}) {
        calls << QString("%1 Frame %2").arg(port).arg(frame);
        for (const BaudRate& rate : kBaudRates) {
            const QString baud = QString::fromLatin1(rate.text);
            calls << QString("%1 Baud %2").arg(port).arg(baud)
                  << QString("%1 TimeOut %2").arg(port).arg(QString::fromLatin1(rate.probeTimeOut))
                  << "probe";
            if (frame == lastFrame && baud == lastBaud)
                return calls;
        }
    }
    return calls;
}

QString summary(const QString& port, const QString& baud, const QString& frame,
                const QString& timeOut, const QString& timeControl, const QString& delay) {
    return QString("PortNr: %1\r\nBaudrate: %2\r\nFrame: %3\r\nTimeOut: %4\r\nTimeControl: "
                   "%5\r\nDelayTime: %6")
        .arg(port, baud, frame, timeOut, timeControl, delay);
}

// The calls of a search whose serial ports all fail to find the reader.
QStringList serialSearchWithoutReader() {
    return QStringList{"open 1"} + attempts(11, "", "") +
           QStringList{"close 11", "open 2", "open 3", "open 4"};
}

template <typename T> T* child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(name);
}

// Runs the dialog modally; once ready holds, act runs inside the modal loop. When ready never
// holds, the dialog is ended anyway. Gives whether ready held.
bool execUntil(TForm_FindReader& dialog, const std::function<bool()>& ready,
               const std::function<void()>& act, int& result) {
    bool reached = false;
    QTimer::singleShot(0, &dialog, [&] {
        reached = QTest::qWaitFor(ready, kLimitMs);
        if (reached)
            act();
        else
            dialog.done(QDialog::Rejected);
    });
    result = dialog.exec();
    return reached;
}

// Presses button with Enter, as the user does; a button that takes no Enter is clicked instead,
// so that the dialog still ends. Gives whether Enter pressed it.
bool pressedByEnter(TForm_FindReader& dialog, const char* button) {
    QTest::keyClick(child<QPushButton>(dialog, button), Qt::Key_Return);
    if (!dialog.isVisible())
        return true;
    child<QPushButton>(dialog, button)->click();
    return false;
}

bool headlineIs(QWidget& dialog, const QString& text) {
    return child<QLabel>(dialog, "Txt_Reader")->text() == text;
}

void writeIni(const QByteArray& content) {
    QFile ini("ZQKRT_Tovrel.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(ini.write(content), content.size());
}

} // namespace

class TestZQDlgFindReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void findsTheReaderAtItsFrameAndRateAtEachShow();
    void searchEndsOnAFailedCall_data();
    void searchEndsOnAFailedCall();
    void pcscReaderIsProbedOnceAndNamedInFull();
    void pcscStepSkipsOrEnds_data();
    void pcscStepSkipsOrEnds();
    void emulatorOnCom2IsFoundAfterCom1();
    void emulatorNowhereGivesNoReader();
    void emulatorSearchStopsAtCancelOrWithTheDialog();

    void controlsAtCreation_data() {
        addControlColumns();
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
        QFETCH(bool, enabled);
        TForm_FindReader dialog(handles_);
        QWidget* control = namedControl(dialog);
        if (control == nullptr)
            return;
        QCOMPARE(control->isEnabled(), enabled);
        // Enter presses no button the user did not choose.
        if (auto* button = qobject_cast<QPushButton*>(control))
            QVERIFY(!button->isDefault() && !button->autoDefault());
    }

    void headlineIsCentredBoldAndSixteenPixels() {
        TForm_FindReader dialog(handles_);
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
                                 << summary("4", "115200", "8E1", "65535", "1", "65535");
        QTest::newRow("no reader") << "Txt_Out" << kNoReaderText;
    }

    void longestTextsFit() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TForm_FindReader dialog(handles_);
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
        TForm_FindReader dialog(handles_);
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
        TForm_FindReader dialog(handles_);
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

private:
    ReaderLibraryCalls countingLibrary();
    QStringList opened_;
    bool linkPorts(const QStringList& targets);

    // The station's working folder; the emulators have folders of their own in it.
    ScratchWorkingFolder folder_;
    // The main window's, for the dialogs and the search threads made here.
    ReaderHandles handles_;
    ReaderEmulatorProcess com1_;
    ReaderEmulatorProcess com2_;
    std::atomic<int> realProbes_{0};
};

void TestZQDlgFindReader::initTestCase() {
    QVERIFY(folder_.enter());
    const QString emulator = QCoreApplication::applicationDirPath() + "/reader-emulator";
    QString error;
    QVERIFY2(
        com1_.start(emulator, folder_.filePath("com1"), {"--port", "COM1", "--no-delays"}, error),
        qPrintable(error));
    QVERIFY(com1_.command("fault silence"));
    QVERIFY2(com2_.start(emulator, folder_.filePath("com2"),
                         {"--port", "COM2", "--rate", "9600", "--frame", "8N1", "--no-delays"},
                         error),
             qPrintable(error));
    handles_.ReaderHandle = ZQKRT_NewReader(0);
    QVERIFY(handles_.ReaderHandle > 0);
    // No PC/SC service answers this process.
    qputenv("PCSCLITE_CSOCK_NAME", QFile::encodeName(folder_.filePath("no-pcscd.comm")));
}

void TestZQDlgFindReader::cleanupTestCase() {
    com1_.stop();
    com2_.stop();
}

void TestZQDlgFindReader::init() {
    handles_.PortHandle = 0;
    realProbes_ = 0;
    opened_.clear();
}

void TestZQDlgFindReader::cleanup() {
    QFile::remove("ZQKRT_Tovrel.ini");
}

// The double's reader sits on COM3 at 8O1 and 2400; COM1 opens and stays silent, COM2 has no
// device. A second show searches anew and takes the INI file's values whole.
void TestZQDlgFindReader::findsTheReaderAtItsFrameAndRateAtEachShow() {
    FakeLine line;
    TForm_FindReader dialog(handles_);
    dialog.setLibrary(line.library());
    auto* ok = child<QPushButton>(dialog, "Btn_Ok");
    auto* cancel = child<QPushButton>(dialog, "Btn_Cancel");
    auto* out = child<QLabel>(dialog, "Txt_Out");
    const QStringList search = QStringList{"open 1"} + attempts(11, "", "") +
                               QStringList{"close 11", "open 2", "open 3"} +
                               attempts(13, "8O1", "2400");
    const auto found = [&] { return headlineIs(dialog, "Found Reader"); };
    bool waitsForOk = false;
    bool enterPressed = false;
    int result = 0;
    QVERIFY(execUntil(
        dialog, found,
        [&] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            dialog.close();
            // Escape and the close box are ignored; OK has taken the focus from Cancel.
            waitsForOk =
                dialog.isVisible() && ok->isEnabled() && ok->hasFocus() && !cancel->isEnabled();
            enterPressed = pressedByEnter(dialog, "Btn_Ok");
        },
        result));
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(waitsForOk);
    QVERIFY(enterPressed);
    QCOMPARE(line.log, search);
    QCOMPARE(out->text(), summary("3", "2400", "8O1", "200", "1", "5"));
    QCOMPARE(child<QLabel>(dialog, "Txt_Reader")->palette().color(QPalette::WindowText),
             QColor(0, 128, 0));
    QCOMPARE(handles_.PortHandle.load(), 13);

    writeIni("[COMPORT]\nTimeout=123456789\nTxTimeControl=0\n");
    line.log.clear();
    QVERIFY(execUntil(
        dialog, found, [&] { ok->click(); }, result));
    QCOMPARE(result, int(QDialog::Accepted));
    const QStringList foundWithIni{"13 TimeOut 123456789", "13 TxTimeControl 0",
                                   "13 TxDelayTime 5"};
    QCOMPARE(line.log, search + foundWithIni);
    QCOMPARE(out->text(), summary("3", "2400", "8O1", "123456789", "0", "5"));
}

// A name too wide for the dialog gives way in the middle; a line break in it makes no line.
void TestZQDlgFindReader::pcscReaderIsProbedOnceAndNamedInFull() {
    FakeLine line;
    line.openFailures = {{"3", -7}};
    line.cards = {{"5", "Acme Pharmacy Desk Reader\nwith Contactless Interface Module 2000 00 00"}};
    TForm_FindReader dialog(handles_);
    dialog.setLibrary(line.library());
    int result = 0;
    QVERIFY(execUntil(
        dialog, [&] { return headlineIs(dialog, "Found Reader"); },
        [&] { child<QPushButton>(dialog, "Btn_Ok")->click(); }, result));
    QCOMPARE(line.log,
             (serialSearchWithoutReader() + QStringList{"open 5", "PortHnd 15", "probe"}));
    QCOMPARE(handles_.PortHandle.load(), 15);
    auto* out = child<QLabel>(dialog, "Txt_Out");
    QCOMPARE(out->toolTip(), QString("PortNr: 5 (PC/SC)\r\nReader: Acme Pharmacy Desk Reader with "
                                     "Contactless Interface Module 2000 00 00\r\nTimeOut: 800"));
    const QStringList shown = out->text().split("\r\n");
    QCOMPARE(shown.size(), 3);
    QVERIFY2(shown[1].startsWith("Reader: Acme") && shown[1].endsWith("00 00"),
             qPrintable(shown[1]));
    QVERIFY2(out->sizeHint().width() <= out->width(), qPrintable(out->text()));
}

// A busy or silent reader is passed over; no service, or Cancel, ends the PC/SC step.
void TestZQDlgFindReader::pcscStepSkipsOrEnds_data() {
    QTest::addColumn<QString>("cancelAt");
    QTest::addColumn<QStringList>("pcscCalls");
    QTest::newRow("busy, silent, no service")
        << "" << QStringList{"open 5", "open 6", "PortHnd 16", "probe", "close 16", "open 7"};
    QTest::newRow("cancel") << "5" << QStringList{"open 5"};
}

void TestZQDlgFindReader::pcscStepSkipsOrEnds() {
    QFETCH(QString, cancelAt);
    QFETCH(QStringList, pcscCalls);
    FakeLine line;
    line.openFailures = {{"3", -7}, {"5", ZQCOM_ERR_PORT_BUSY}, {"7", ZQCOM_ERR_NO_SERVICE}};
    line.cards = {{"5", "A"}, {"6", "B"}, {"7", "C"}, {"8", "D"}};
    line.silentCard = "6";
    int notFound = 0;
    bool found = false;
    TFindReaderThread thread(
        line.library(),
        {[](const QString&) {}, [&](const QString&) { found = true; }, [&] { ++notFound; }},
        handles_);
    line.onOpen = [&](const std::string& nr) {
        if (nr == cancelAt.toStdString())
            thread.Terminate();
    };
    thread.start();
    thread.WaitFor();
    QCOMPARE(line.log, serialSearchWithoutReader() + pcscCalls);
    QVERIFY(!found);
    QCOMPARE(notFound, 1);
    QCOMPARE(handles_.PortHandle.load(), 0);
}

void TestZQDlgFindReader::searchEndsOnAFailedCall_data() {
    QTest::addColumn<QString>("failOn");
    QTest::addColumn<QStringList>("lastCalls");
    QTest::addColumn<int>("progressShown");
    QTest::addColumn<int>("portHandle");
    QTest::addColumn<int>("lastStatus");
    QTest::newRow("frame: port left open")
        << "11 Frame 8N1" << QStringList{"probe", "11 Frame 8N1"} << 8 << 11 << -1;
    QTest::newRow("time-out: port closed")
        << "11 TimeOut 400" << QStringList{"11 TimeOut 400", "close 11"} << 7 << 0 << 0;
    QTest::newRow("close") << "close 11" << QStringList{"probe", "close 11"} << 24 << 11 << -1;
}

void TestZQDlgFindReader::searchEndsOnAFailedCall() {
    QFETCH(QString, failOn);
    QFETCH(QStringList, lastCalls);
    QFETCH(int, progressShown);
    QFETCH(int, portHandle);
    QFETCH(int, lastStatus);
    FakeLine line;
    line.failOn = failOn;
    int progress = 0;
    bool ended = false;
    TFindReaderThread thread(line.library(),
                             {[&](const QString&) { ++progress; },
                              [&](const QString&) { ended = true; }, [&] { ended = true; }},
                             handles_);
    thread.start();
    thread.WaitFor();
    QCOMPARE(line.log.mid(line.log.size() - lastCalls.size()), lastCalls);
    QCOMPARE(progress, progressShown);
    QVERIFY(!ended);
    QCOMPARE(handles_.PortHandle.load(), portHandle);
    QCOMPARE(thread.GetLastStatus(), lastStatus);
}

ReaderLibraryCalls TestZQDlgFindReader::countingLibrary() {
    ReaderLibraryCalls library;
    library.OpenPort = [this](const char* nr) {
        opened_ << nr;
        return ZQCOM_OpenPort(nr);
    };
    library.Reader.GetBaud = [this](std::int32_t reader, std::int32_t address) {
        ++realProbes_;
        return ZQKRT_0x52_GetBaud(reader, address);
    };
    return library;
}

// Links COM1..COM4 to the given emulator links (folder-relative); an empty one to no device.
bool TestZQDlgFindReader::linkPorts(const QStringList& targets) {
    for (int n = 1; n <= 4; ++n) {
        const QString target = targets.value(n - 1);
        if (!linkComPort(n, folder_.filePath(target.isEmpty() ? "none" : target)))
            return false;
    }
    return true;
}

void TestZQDlgFindReader::emulatorOnCom2IsFoundAfterCom1() {
    QVERIFY(linkPorts({"com1/dosdevices/com1", "com2/dosdevices/com2", "", ""}));
    writeIni("[COMPORT]\r\nTimeout=300\r\nTxTimeControl=0\r\nTxDelayTime=7\r\n");
    TForm_FindReader dialog(handles_);
    dialog.setLibrary(countingLibrary());
    int result = 0;
    QVERIFY(execUntil(
        dialog, [&] { return headlineIs(dialog, "Found Reader"); },
        [&] { child<QPushButton>(dialog, "Btn_Ok")->click(); }, result));
    QCOMPARE(result, int(QDialog::Accepted));
    // COM1's 24, COM2's eight at 8E1 and four at 8N1, then the one that is answered.
    QCOMPARE(realProbes_.load(), 24 + 8 + 4 + 1);
    QCOMPARE(child<QLabel>(dialog, "Txt_Out")->text(),
             summary("2", "9600", "8N1", "300", "0", "7"));
    const std::int32_t port = handles_.PortHandle;
    QVERIFY(port > 0);
    const auto portPara = [port](const char* name) {
        char text[ZQCOM_VALUE_BUFFER_SIZE] = {};
        return ZQCOM_GetPortParaBuf(port, name, text, sizeof text) == 0 ? QString(text) : "<error>";
    };
    QCOMPARE(portPara("TimeOut"), QString("300"));
    QCOMPARE(portPara("TxTimeControl"), QString("0"));
    QCOMPARE(portPara("TxDelayTime"), QString("7"));
    QCOMPARE(ZQKRT_0x52_GetBaud(handles_.ReaderHandle, 255), 0);
    QCOMPARE(ZQCOM_ClosePort(port), 0);
}

void TestZQDlgFindReader::emulatorNowhereGivesNoReader() {
    QVERIFY(linkPorts({"", "", "", ""}));
    TForm_FindReader dialog(handles_);
    dialog.setLibrary(countingLibrary());
    bool onlyCancel = false;
    int result = 0;
    QVERIFY(execUntil(
        dialog, [&] { return headlineIs(dialog, "No Reader found"); },
        [&] {
            onlyCancel = !child<QPushButton>(dialog, "Btn_Ok")->isEnabled() &&
                         child<QPushButton>(dialog, "Btn_Cancel")->isEnabled() &&
                         QApplication::activeModalWidget() == &dialog;
            dialog.close();
        },
        result));
    QVERIFY(onlyCancel);
    // The missing PC/SC service ends its step at the first port.
    QCOMPARE(opened_, (QStringList{"1", "2", "3", "4", "5"}));
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(child<QLabel>(dialog, "Txt_Out")->text(), kNoReaderText);
    QCOMPARE(child<QLabel>(dialog, "Txt_Reader")->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QCOMPARE(realProbes_.load(), 0);
    QCOMPARE(handles_.PortHandle.load(), 0);
}

// Cancel ends the search after the running probe at most, and so does destroying the dialog;
// either way the port under test is closed.
void TestZQDlgFindReader::emulatorSearchStopsAtCancelOrWithTheDialog() {
    QVERIFY(linkPorts({"com1/dosdevices/com1", "", "", ""}));
    const auto portClosed = [this] {
        const std::int32_t reopened = ZQCOM_OpenPort("1");
        return handles_.PortHandle == 0 && reopened > 0 && ZQCOM_ClosePort(reopened) == 0;
    };
    const auto searching = [](TForm_FindReader& dialog) {
        return [&dialog] { return headlineIs(dialog, "Search Reader"); };
    };
    {
        TForm_FindReader dialog(handles_);
        dialog.show();
        QVERIFY(QTest::qWaitFor(searching(dialog), kLimitMs));
    }
    QVERIFY(portClosed());

    TForm_FindReader dialog(handles_);
    dialog.setLibrary(countingLibrary());
    int probesAtCancel = 0;
    bool enterPressed = false;
    int result = 0;
    QVERIFY(execUntil(
        dialog, searching(dialog),
        [&] {
            probesAtCancel = realProbes_;
            enterPressed = pressedByEnter(dialog, "Btn_Cancel");
        },
        result));
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(enterPressed);
    QVERIFY(realProbes_ <= probesAtCancel + 1);
    QVERIFY(headlineIs(dialog, "No Reader found"));
    QVERIFY(portClosed());
}

QTEST_MAIN(TestZQDlgFindReader)
#include "test_zqdlgfindreader.moc"
