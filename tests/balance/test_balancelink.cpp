#include "BalanceIni.h"
#include "BalanceLink.h"
#include "IniFile.h"
#include "LineReturn.h"
#include "MessageBoxes.h"
#include "PseudoTerminal.h"
#include "SerialPort.h"
#include "Weight.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

using platform::MessageRecorder;
using platform::SerialPort;

namespace {

const std::string kCommand = "PRT\r\n";

// Points COM1 at target; a missing target leaves no device behind the name.
bool linkCom1(const QString& target) {
    QFile::remove("dosdevices/com1");
    return QFile::link(target, "dosdevices/com1");
}

bool linkCom1(const PseudoTerminal& balance) {
    return balance.isValid() && linkCom1(QString::fromStdString(balance.slavePath()));
}

} // namespace

class TestBalanceLink : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid() && QDir::setCurrent(folder_.path()));
        QVERIFY(QDir().mkpath("dosdevices"));
        for (int port = 2; port <= 4; ++port)
            QVERIFY(QFile::link(folder_.filePath("none"), QString("dosdevices/com%1").arg(port)));
    }

    // One message for the missing balance, and no I/O after it even once one is plugged in; the
    // next show opens it with the worker that already runs.
    void noDeviceReportsOnceThenNextShowOpens() {
        QVERIFY(linkCom1(folder_.filePath("none")));
        MessageRecorder messages;
        QPlainTextEdit memo;
        BalanceLink link(&memo);
        link.startAtShow(""); // "none"
        QVERIFY(messages.messages().isEmpty());
        QCOMPARE(link.workerCount(), 0);
        link.startAtShow();
        QCOMPARE(messages.messages().size(), 1);
        QCOMPARE(messages.messages()[0].text, QStringLiteral("開啟通訊埠錯誤!!"));
        QCOMPARE(messages.messages()[0].caption, QString());
        QVERIFY(!link.portOpen());
        QCOMPARE(link.workerCount(), 1);

        PseudoTerminal balance;
        QVERIFY(linkCom1(balance));
        QTest::qWait(500);
        QCOMPARE(balance.receive(1, 50), std::string());

        link.startAtShow();
        QVERIFY(link.portOpen());
        QCOMPARE(link.workerCount(), 1);
        std::string sent;
        QVERIFY(QTest::qWaitFor([&] {
            sent += balance.receive(kCommand.size() - sent.size(), 10);
            return sent.size() >= kCommand.size();
        }));
        QCOMPARE(sent, kCommand);
        QCOMPARE(messages.messages().size(), 1);
    }

    // The section as an IT person may write it: names in any case, blanks around the values.
    void iniNamesTheBalancePorts() {
        QFile file("station.ini");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[balance]\npollport = NONE\nPort=com2\nOpenAtShow=yes\n"
                   "dialect = SICS\nPollDialect=sics2\n");
        file.close();
        const balance::BalanceIni read = balance::BalanceIni::read("station.ini");
        QVERIFY(read.pollPort.empty() && read.port == "com2" && !read.openAtShow);
        QCOMPARE(read.dialect, &balance::kSicsDialect);
        QCOMPARE(read.pollDialect, &balance::kStationDialect);
        QVERIFY(platform::writePrivateProfileString("Balance", "PollPort", "", "station.ini"));
        QCOMPARE(balance::BalanceIni::read("station.ini").pollPort, std::string("COM1"));
    }

    // The steps alone, so the bytes waiting are exactly those the test sent.
    void readStepTakesAtMost2048BytesUpToAZero() {
        PseudoTerminal balance;
        QVERIFY(linkCom1(balance));
        QPlainTextEdit memo;
        SerialPort port;
        balance::LineReturn lineReturn;
        TReadThread steps(port, lineReturn, &memo);
        steps.OpenBalancePort("COM1");
        QVERIFY(port.isOpen());
        const termios line = balance.line();
        QCOMPARE(cfgetospeed(&line), speed_t(B2400));
        QCOMPARE(line.c_iflag & INPCK, tcflag_t(0));

        steps.SendPrintCommand();
        QCOMPARE(balance.receive(kCommand.size()), kCommand);
        steps.ReadBalanceOutput();
        QCOMPARE(memo.toPlainText(), QString());

        const auto read = [&](const std::string& bytes) {
            QVERIFY(balance.send(bytes));
            QVERIFY(QTest::qWaitFor([&] { return port.bytesWaiting() == long(bytes.size()); }));
            steps.ReadBalanceOutput();
        };
        read(std::string(2048, 'a'));
        QCOMPARE(memo.toPlainText(), QString(2048, 'a'));
        read(std::string(2049, 'b'));
        QCOMPARE(port.bytesWaiting(), 0L);
        QCOMPARE(memo.toPlainText(), QString(2048, 'a'));
        read(std::string("+12.3\0 g", 8));
        QCOMPARE(memo.toPlainText(), QString(2048, 'a') + "+12.3");

        // Only the newest 1 MiB stays, in lines too long to reach the line bound first.
        QString earlier;
        while (earlier.size() < TReadThread::kMemoLimit - 100)
            earlier += QString(511, '0') + '\n';
        earlier.truncate(TReadThread::kMemoLimit - 100);
        memo.setPlainText(earlier);
        read(std::string(200, 'c'));
        QCOMPARE(memo.toPlainText(), earlier.mid(100) + QString(200, 'c'));

        // In short lines only the newest lines stay, each of which costs far more than its text.
        QStringList lines;
        for (int i = 0; i < TReadThread::kMemoLineLimit + 10; ++i)
            lines << QString("ST,+%1.00  g").arg(i, 5, 10, QChar('0'));
        memo.setPlainText(lines.join('\n'));
        read("\r\nST,+00001.50  g\r\n");
        lines << "ST,+00001.50  g" << QString();
        QCOMPARE(memo.document()->blockCount(), TReadThread::kMemoLineLimit);
        QCOMPARE(memo.toPlainText(),
                 lines.mid(lines.size() - TReadThread::kMemoLineLimit).join('\n'));
    }

    // A silent balance is asked again and again, no faster than the line sends the command; a
    // reply reaches MemoTemp with its line end; a later show keeps port and worker; COM1 stays
    // the link's. A balance that hangs up and comes back under the same name is polled again,
    // without a message.
    void pollsPacedAndKeepsPortAcrossShows() {
        std::optional<PseudoTerminal> balanceLine;
        PseudoTerminal& balance = balanceLine.emplace();
        QVERIFY(linkCom1(balance));
        MessageRecorder messages;
        QPlainTextEdit memo;
        QList<bool> away;
        BalanceLink link(&memo, [&](bool isAway) { away << isAway; });
        link.startAtShow();
        QVERIFY(link.portOpen());
        // Served without a pause, the link still sends no faster than 10 bits a character at
        // 2400 baud carry.
        QElapsedTimer elapsed;
        elapsed.start();
        QEventLoop serving;
        QTimer::singleShot(1000, &serving, &QEventLoop::quit);
        serving.exec();
        const qint64 servedMs = elapsed.elapsed();
        const std::string sent = balance.receive(1 << 20, 200);
        std::string expected;
        while (expected.size() < sent.size())
            expected += kCommand;
        QVERIFY(!sent.empty());
        QCOMPARE(sent, expected);
        QVERIFY(servedMs >= qint64(sent.size()) * 10 * 1000 / 2400);
        QCOMPARE(memo.toPlainText(), QString());

        link.startAtShow();
        QVERIFY(messages.messages().isEmpty());
        QVERIFY(link.portOpen());
        QCOMPARE(link.workerCount(), 1);
        SerialPort other;
        QVERIFY(!other.open("COM1"));
        QCOMPARE(other.lastFailure(), platform::SerialFailure::Busy);

        QVERIFY(balance.send("ST,+00012.34  g\r\nST,"));
        QVERIFY(QTest::qWaitFor([&] { return memo.toPlainText() == "ST,+00012.34  g\nST,"; }));

        balanceLine.reset();
        QVERIFY(QTest::qWaitFor([&] { return away == QList<bool>{true}; }));
        PseudoTerminal& back = balanceLine.emplace();
        QVERIFY(linkCom1(back));
        QVERIFY(QTest::qWaitFor([&] { return away == QList<bool>({true, false}); }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return back.receive(kCommand.size(), 200) == kCommand; }));
        QVERIFY(back.send("-00001.00  g\r\n"));
        QVERIFY(QTest::qWaitFor([&] { return memo.toPlainText().endsWith("-00001.00  g\n"); }));
        QVERIFY(messages.messages().isEmpty());
    }
};

QTEST_MAIN(TestBalanceLink)
#include "test_balancelink.moc"
