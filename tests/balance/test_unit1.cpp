#include "MessageBoxes.h"
#include "PseudoTerminal.h"
#include "ReplyCut.h"
#include "SerialPort.h"
#include "Unit1.h"
#include "WindowControls.h"
#include "WorkingFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QByteArray kPrimeReply = "ST,+00099.99  g\r\n";

// One whole tick answered with reply, as a balance answers after it has seen the request.
// A second tick that comes while the first awaits its reply must send nothing.
void tickWith(TForm1& window, const PseudoTerminal& balance, const QByteArray& reply,
              const QString& expected) {
    QElapsedTimer elapsed;
    elapsed.start();
    window.Timer1Timer();
    window.Timer1Timer();
    QCOMPARE(balance.receive(3), std::string("Q\r\n"));
    // Sent after the tick has returned: a tick that blocked through its pause would miss it.
    QVERIFY(balance.send(reply.toStdString()));
    QTRY_COMPARE_WITH_TIMEOUT(window.WeightText(), expected, 10000);
    QVERIFY(elapsed.elapsed() >= 950);
}

} // namespace

// Runs in a folder of its own whose dosdevices/com1..com4 lead nowhere, so no real port is met.
class TestUnit1 : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<ScratchWorkingFolder>();
        QVERIFY(folder_->enter());
        for (int port = 1; port <= 4; ++port)
            QVERIFY(linkComPort(port, folder_->filePath("none")));
    }

    void cleanup() { folder_.reset(); }

    void windowIsPlacedAndCaptioned() {
        TForm1 window;
        QVERIFY(window.isWindow());
        QCOMPARE(window.windowTitle(), QString("自動資料讀取"));
        QCOMPARE(window.pos(), QPoint(313, 158));
        QCOMPARE(window.size(), QSize(629, 501));
    }

    // Trailing spaces are part of the captions.
    void controlsHaveKindBoundsAndText_data() {
        addControlColumns();
        QTest::addColumn<QRect>("bounds");
        QTest::newRow("rdCOM") << "rdCOM"
                               << "QGroupBox"
                               << "選擇通訊埠" << QRect(12, 8, 131, 77);
        QTest::newRow("btnOpenPort") << "btnOpenPort"
                                     << "QPushButton"
                                     << "開啟通訊埠    " << QRect(150, 12, 115, 33);
        QTest::newRow("btnEnd") << "btnEnd"
                                << "QPushButton"
                                << "結束系統    " << QRect(150, 56, 115, 33);
        QTest::newRow("Label2") << "Label2"
                                << "QLabel"
                                << "收取的資料      " << QRect(8, 90, 104, 20);
        QTest::newRow("btnSend") << "btnSend"
                                 << "QPushButton"
                                 << "Start" << QRect(152, 96, 113, 33);
        QTest::newRow("mReceive") << "mReceive"
                                  << "QPlainTextEdit"
                                  << "???" << QRect(12, 114, 137, 115);
        QTest::newRow("CheckBox1") << "CheckBox1"
                                   << "QCheckBox"
                                   << "Repeat" << QRect(160, 136, 65, 17);
        QTest::newRow("SpinEdit1") << "SpinEdit1"
                                   << "QSpinBox"
                                   << "1" << QRect(224, 136, 41, 22);
        QTest::newRow("ComboBox1") << "ComboBox1"
                                   << "QComboBox"
                                   << "Q" << QRect(8, 240, 57, 21);
        QTest::newRow("Edit1") << "Edit1"
                               << "QLineEdit"
                               << "稱重資料的需求" << QRect(72, 240, 185, 21);
    }

    void controlsHaveKindBoundsAndText() {
        QFETCH(QRect, bounds);
        TForm1 window;
        const QWidget* control = namedControl(window);
        if (control == nullptr)
            return;
        QCOMPARE(control->parentWidget(), &window);
        QCOMPARE(control->geometry(), bounds);
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

    // Enter on the focused Start presses it, as on every desk program.
    void timerIsStoppedAtOneHundredMilliseconds() {
        TForm1 window;
        auto* timer = window.findChild<QTimer*>("Timer1");
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 100);
        QTest::keyClick(window.findChild<QPushButton*>("btnSend"), Qt::Key_Return);
        QVERIFY(timer->isActive());
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

    // Each row: a first tick with a known weight, a late copy of a reply left waiting, then
    // the row's reply. The command list's choice never changes the request.
    void tickCutsCharactersFiveToTwelve_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("expected");
        // The same line's reading, in ten-thousandths; none when it is no reading.
        QTest::addColumn<QVariant>("reading");
        QTest::newRow("weight line")
            << QByteArray("ST,+00012.34  g\r\n") << "00012.34" << QVariant(123400);
        QTest::newRow("four characters") << QByteArray("ST,+") << "" << QVariant();
        QTest::newRow("no reply") << QByteArray() << "" << QVariant();
        QTest::newRow("short") << QByteArray("ST,+001") << "001" << QVariant(10000);
        QTest::newRow("zero byte") << QByteArray("ST,+000\0"
                                                 "12.34  g\r\n",
                                                 18)
                                   << "000" << QVariant(0);
        QTest::newRow("one character a byte") << QByteArray("US,-\xB5"
                                                            "1.5\xB0 g\r\n")
                                              << QString::fromLatin1("-\xB5"
                                                                     "1.5\xB0 g\r")
                                              << QVariant();
    }

    void tickCutsCharactersFiveToTwelve() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, expected);
        QFETCH(QVariant, reading);
        PseudoTerminal balance;
        QVERIFY(balance.isValid());
        QVERIFY(linkComPort(1, QString::fromStdString(balance.slavePath())));
        platform::MessageRecorder messages;
        TForm1 window;
        window.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
        QCOMPARE(window.findChild<QLineEdit*>("Edit1")->text(), QString("校正"));
        window.btnOpenPortClick();
        QVERIFY(window.portOpen());

        tickWith(window, balance, kPrimeReply, "00099.99");
        const balance::ReadingStamp first = window.Stamp();
        QVERIFY(first.answered > 0);
        QCOMPARE(first.answered, first.requestsSent);
        QVERIFY(balance.send("ST,+00077.77  g\r\n"));
        QTest::qWait(300); // lets the late reply reach the port's receive queue
        tickWith(window, balance, reply, expected);
        QCOMPARE(window.Reading().state == balance::ReadingState::NotAReading, !reading.isValid());
        QCOMPARE(window.Reading().tenThousandths, std::int64_t{reading.toLongLong()});
        // The late line answered no request and showed nothing that counts.
        QCOMPARE(window.Stamp().answered, first.requestsSent + 1);
        QCOMPARE(window.Stamp().displayChanges, first.displayChanges + (reading.isValid() ? 1 : 0));
        QVERIFY(messages.messages().isEmpty());
    }

    // What a tick received after its request, whether that began a line, and the weight shown:
    // the last whole line's characters 5 to 12, never a piece of a line.
    void weightIsCutFromTheLastWholeLine_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("startsLine");
        QTest::addColumn<QString>("weight");
        QTest::newRow("negative") << QByteArray("ST,-00003.50  g\r\n") << true << "-00003.50";
        QTest::newRow("sign alone") << QByteArray("ST,-") << true << "";
        QTest::newRow("no line end") << QByteArray("ST,+001") << true << "001";
        QTest::newRow("late reply first")
            << QByteArray("ST,+00077.77  g\r\nST,+00012.34  g\r\nST") << true << "00012.34";
        QTest::newRow("line end cut off") << QByteArray("g\r\nST,+0") << false << "";
        QTest::newRow("inside a line") << QByteArray(",+00012.") << false << "";
        QTest::newRow("CR alone") << QByteArray("12.34  g\rST,+00056.78  g\rST,+0") << false
                                  << "00056.78";
    }

    void weightIsCutFromTheLastWholeLine() {
        QFETCH(QByteArray, received);
        QFETCH(bool, startsLine);
        QFETCH(QString, weight);
        QCOMPARE(balance::weightOf(balance::weightLine(received, startsLine)), weight);
    }

    void openingAndClosingThePort() {
        platform::MessageRecorder messages;
        TForm1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        window.btnOpenPortClick();
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages().last().text, QString("開啟通訊埠錯誤!!"));
        QCOMPARE(messages.messages().last().caption, QString());
        QVERIFY(!window.portOpen());

        // COM1 held elsewhere, as by the polling link.
        PseudoTerminal held;
        QVERIFY(linkComPort(1, QString::fromStdString(held.slavePath())));
        platform::SerialPort holder;
        QVERIFY(holder.open("COM1"));
        window.btnOpenPortClick();
        QCOMPARE(messages.messages().size(), 2);
        QCOMPARE(messages.messages().last().text, QString("開啟通訊埠錯誤!!"));
        QVERIFY(!window.portOpen());

        auto balanceLine = std::make_unique<PseudoTerminal>();
        PseudoTerminal& balance = *balanceLine;
        QVERIFY(linkComPort(2, QString::fromStdString(balance.slavePath())));
        window.findChild<QRadioButton*>("rdCOM_COM2")->click();
        window.btnOpenPortClick();
        QCOMPARE(messages.messages().size(), 2);
        QVERIFY(window.portOpen());
        const termios line = balance.line();
        QCOMPARE(cfgetospeed(&line), speed_t(B2400));
        QCOMPARE(line.c_iflag & INPCK, tcflag_t(INPCK));
        QCOMPARE(line.c_cflag & PARODD, tcflag_t(0));

        window.btnOpenPortClick();
        QCOMPARE(messages.messages().size(), 3);
        QCOMPARE(messages.messages().last().text, QString("通訊埠已開啟!不需再開!"));
        QVERIFY(window.portOpen());

        // The reply comes into view while the user stays in the field being typed in.
        auto* field = window.findChild<QLineEdit*>("Edit1");
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        tickWith(window, balance, kPrimeReply, "00099.99");
        QVERIFY(field->hasFocus());
        auto* view = window.findChild<QPlainTextEdit*>("mReceive");
        QCOMPARE(view->toPlainText(), QString("ST,+00099.99  g\n"));
        QCOMPARE(view->textCursor().position(), view->document()->characterCount() - 1);

        // A tick that comes while the reply is awaited follows it, once: so at a period as long
        // as the wait none is lost, and none overlaps. The timer runs, out of the way at 60 s.
        // The balance sends lines unasked meanwhile: only whole ones count.
        window.findChild<QSpinBox*>("SpinEdit1")->setValue(60);
        window.btnSendClick();
        QVERIFY(balance.send("ST,+000"));
        QTest::qWait(300);
        tickWith(window, balance, "12.34  g\r\nST,-00077.77  g\r\nST,+0", "-00077.77");
        QCOMPARE(balance.receive(3), std::string("Q\r\n"));
        QVERIFY(balance.send("0012.34  g\r\nST,+00001.25  g\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(window.WeightText(), QString("00001.25"), 10000);
        QCOMPARE(window.Reading().tenThousandths, std::int64_t{12500});
        QCOMPARE(balance.receive(1, 300), std::string());

        // A balance that hangs up takes its weight along; under the same name again it is asked
        // at the next ticks, without a word, and its weight shows again.
        balanceLine.reset();
        window.Timer1Timer();
        QVERIFY(!window.portOpen());
        QCOMPARE(window.WeightText(), QString());
        QCOMPARE(window.Reading().state, balance::ReadingState::NotAReading);
        QCOMPARE(window.Stamp().answered, std::uint64_t{0});
        PseudoTerminal back;
        QVERIFY(linkComPort(2, QString::fromStdString(back.slavePath())));
        const auto tickUntilOpen = [&] {
            if (!window.portOpen())
                window.Timer1Timer();
            return window.portOpen();
        };
        QTRY_VERIFY_WITH_TIMEOUT(tickUntilOpen(), 10000);
        QCOMPARE(back.receive(3), std::string("Q\r\n"));
        QVERIFY(back.send(kPrimeReply.toStdString()));
        QTRY_COMPARE_WITH_TIMEOUT(window.WeightText(), QString("00099.99"), 10000);

        window.btnEndClick();
        QVERIFY(!window.portOpen());
        QVERIFY(window.isHidden());
        QCOMPARE(window.WeightText(), QString());
        QCOMPARE(window.Reading().state, balance::ReadingState::NotAReading);
        window.Timer1Timer();
        QCOMPARE(back.receive(1, 300), std::string());
        QCOMPARE(messages.messages().size(), 3);

        window.btnOpenPortClick();
        QVERIFY(window.portOpen());
    }

    // The INI file's choice at a show: a Port the window does not offer opens nothing, not even
    // the port chosen; a later show keeps the port open without a word. The port's Dialect is
    // asked in and shown as the balance sent it.
    void showOpensThePortTheIniNames() {
        PseudoTerminal balance;
        const QString device = QString::fromStdString(balance.slavePath());
        QVERIFY(linkComPort(1, device) && linkComPort(2, device));
        platform::MessageRecorder messages;
        TForm1 window;
        window.openPortAtShow({"COM1", "COM3", true});
        QVERIFY(!window.portOpen());
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages()[0].text, QString("開啟通訊埠錯誤!!"));
        QVERIFY(!window.WeightTextNamesUnit());
        window.openPortAtShow({"COM1", "com2", false});
        QVERIFY(window.findChild<QRadioButton*>("rdCOM_COM2")->isChecked() && !window.portOpen());
        balance::BalanceIni sics{"COM1", "com2", true};
        sics.dialect = &balance::kSicsDialect;
        window.openPortAtShow(sics);
        window.openPortAtShow(sics);
        QVERIFY(window.portOpen());
        QCOMPARE(messages.messages().size(), 1);
        window.Timer1Timer();
        QCOMPARE(balance.receive(4), std::string("SI\r\n"));
        QVERIFY(balance.send("S D     -12.30 g\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(window.WeightText(), QString("-12.30 g"), 10000);
        QCOMPARE(window.Reading().state, balance::ReadingState::Unstable);
        QVERIFY(window.WeightTextNamesUnit());
    }

    // The main window's show steps, on the hidden window; then the request period in seconds.
    void showStepsLeaveTheTimerRunning() {
        TForm1 window;
        auto* timer = window.findChild<QTimer*>("Timer1");
        auto* send = window.findChild<QPushButton*>("btnSend");
        auto* repeat = window.findChild<QCheckBox*>("CheckBox1");
        timer->start();
        window.btnSendClick();
        QVERIFY(!timer->isActive());
        QCOMPARE(send->text(), QString("Start"));
        repeat->setChecked(true);
        window.btnSendClick();
        QVERIFY(timer->isActive());
        QCOMPARE(send->text(), QString("Stop"));
        QVERIFY(repeat->isChecked());
        QVERIFY(window.isHidden());

        auto* seconds = window.findChild<QSpinBox*>("SpinEdit1");
        seconds->setValue(5);
        QCOMPARE(timer->interval(), 5000);
        seconds->findChild<QLineEdit*>()->setText("");
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(timer->isActive());
    }

private:
    std::unique_ptr<ScratchWorkingFolder> folder_;
};

QTEST_MAIN(TestUnit1)
#include "test_unit1.moc"
