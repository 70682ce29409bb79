#include "BenchPanel.h"
#include "ControlClient.h"
#include "PanelCatalogue.h"
#include "ReaderEmulatorProcess.h"
#include "ToolRun.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <thread>

using bench::BenchPanel;
using emulator::ControlAnswer;
using emulator::ControlClient;

namespace {

const QString kCatalogue = QStringLiteral(STATION_SOURCE_DIR "/data/transponders.tsv");

// Short, so the cases where no answer ends do not hold the test up.
constexpr std::chrono::milliseconds kShortTimeout{300};
constexpr std::size_t kSmallAnswerLimit = 1024;

enum class Behaviour { Unended, Endless, HangsUp };

// Serves one client on listener the way behaviour says, never with a final line.
void misbehave(int listener, Behaviour behaviour) {
    const int peer = ::accept(listener, nullptr, nullptr);
    char chunk[256];
    const auto say = [peer](const char* text) {
        return ::send(peer, text, std::strlen(text), MSG_NOSIGNAL) > 0;
    };
    if (peer >= 0 && ::recv(peer, chunk, sizeof chunk, 0) > 0 && say("weight 1.00\n")) {
        while (behaviour == Behaviour::Endless && say("weight 1.00\n")) {
        }
        // Until the client gives up.
        while (behaviour != Behaviour::HangsUp && ::recv(peer, chunk, sizeof chunk, 0) > 0) {
        }
    }
    ::close(peer);
}

int listenAt(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0) {
        ::close(listener);
        return -1;
    }
    return listener;
}

// emulator-control, as from a shell.
ToolRun runTool(const QStringList& arguments) {
    return ::runTool(QStringLiteral("emulator-control"), arguments);
}

// The reader's answer to "list": a line a transponder, then "ok".
QString listed(ReaderEmulatorProcess& reader) {
    return reader.control("list").join('\n');
}

QString statusLine(ReaderEmulatorProcess& emulator, const QString& name) {
    for (const QString& line : emulator.control("status")) {
        if (line.startsWith(name + " ")) {
            return line;
        }
    }
    return {};
}

} // namespace

class TestBenchPanel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void containerButtonsLayAndTakeOff();
    void foreignContainerIsNotInTheCatalogue();
    void weightField();
    void unitsWeightOfTheLastLaidDrug();
    void faultSwitches();
    void emulatorGoneLeavesButtonsAsTheyWere();
    void clientWithoutEmulator();
    void clientAnswersThatNeverEnd_data();
    void clientAnswersThatNeverEnd();
    void toolExitCodes();
    void everyProgramPrintsTheVersion();

private:
    QPushButton* button(const QString& name) const { return panel_->findChild<QPushButton*>(name); }
    QString status() const { return panel_->findChild<QLabel*>("status")->text(); }
    // The drug buttons, in catalogue order.
    QList<QPushButton*> drugButtons() const {
        QList<QPushButton*> buttons;
        for (QPushButton* candidate : panel_->findChildren<QPushButton*>()) {
            if (candidate->isCheckable() && candidate->objectName().isEmpty()) {
                buttons.append(candidate);
            }
        }
        return buttons;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    ReaderEmulatorProcess reader_;
    ReaderEmulatorProcess balance_;
    QList<bench::Container> containers_;
    std::unique_ptr<BenchPanel> panel_;
};

void TestBenchPanel::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    const QString bin = QCoreApplication::applicationDirPath();
    QString error;
    QVERIFY2(reader_.start(bin + "/reader-emulator", dir_->filePath("reader"),
                           {"--no-delays", "--catalogue", kCatalogue}, error),
             qPrintable(error));
    QVERIFY2(balance_.start(bin + "/balance-emulator", dir_->filePath("balance"), {"--no-delays"},
                            error),
             qPrintable(error));
    const auto containers = bench::loadContainers(kCatalogue, error);
    QVERIFY2(containers && containers->size() >= 2, qPrintable(error));
    containers_ = *containers;
    containers_.append({"E0040100AAAA0001", "止咳糖漿", std::nullopt}); // no unit weight
    panel_ = std::make_unique<BenchPanel>(bench::PanelSetup{dir_->filePath("reader/control.sock"),
                                                            dir_->filePath("balance/control.sock"),
                                                            containers_});
    panel_->show();
}

void TestBenchPanel::cleanup() {
    panel_.reset();
    reader_.stop();
    balance_.stop();
    dir_.reset();
}

void TestBenchPanel::containerButtonsLayAndTakeOff() {
    const QList<QPushButton*> drugs = drugButtons();
    QCOMPARE(drugs.size(), containers_.size());
    QCOMPARE(drugs[0]->text(), containers_[0].drug);
    const QString first = QString::fromStdString(containers_[0].uid);
    const QString second = QString::fromStdString(containers_[1].uid);

    QTest::mouseClick(drugs[0], Qt::LeftButton);
    QTest::mouseClick(drugs[1], Qt::LeftButton);
    QVERIFY(drugs[0]->isChecked());
    QVERIFY2(
        listed(reader_).contains(first + " type 00 blocks 28 size 4 drug " + containers_[0].drug),
        qPrintable(listed(reader_)));
    QVERIFY(listed(reader_).contains(second + " "));

    QTest::mouseClick(drugs[0], Qt::LeftButton);
    QVERIFY(!drugs[0]->isChecked());
    QVERIFY(!listed(reader_).contains(first));
    QVERIFY(listed(reader_).contains(second + " "));

    QTest::mouseClick(button("clearReader"), Qt::LeftButton);
    QVERIFY(!drugs[1]->isChecked());
    QCOMPARE(listed(reader_), QString("ok"));
}

void TestBenchPanel::foreignContainerIsNotInTheCatalogue() {
    QPushButton* foreign = button("foreignContainer");
    const QString uid = foreign->property("uid").toString();
    QCOMPARE(uid.size(), 16);
    for (const bench::Container& container : containers_) {
        QVERIFY(QString::fromStdString(container.uid).compare(uid, Qt::CaseInsensitive) != 0);
    }
    QCOMPARE(bench::foreignUid({"E0040100FFFFFF01", "e0040100ffffff02"}), "E0040100FFFFFF03");

    QTest::mouseClick(foreign, Qt::LeftButton);
    const QString lines = listed(reader_);
    QVERIFY2(lines.startsWith(uid + " type 00 ") && !lines.contains(" drug "), qPrintable(lines));
}

void TestBenchPanel::weightField() {
    auto* weight = panel_->findChild<QLineEdit*>("weight");
    weight->setText(" 12.34 ");
    QTest::mouseClick(button("setWeight"), Qt::LeftButton);
    QCOMPARE(statusLine(balance_, "weight"), QString("weight 12.34"));

    weight->setText("12.34567");
    QTest::mouseClick(button("setWeight"), Qt::LeftButton);
    QVERIFY2(status().contains("error: VALUE must"), qPrintable(status()));
    QCOMPARE(statusLine(balance_, "weight"), QString("weight 12.34"));
}

void TestBenchPanel::unitsWeightOfTheLastLaidDrug() {
    QPushButton* expected = button("expectedWeight");
    QPushButton* off = button("offWeight");
    QVERIFY(!expected->isEnabled() && !off->isEnabled());
    const std::optional<double> unit = containers_[0].unitWeight;
    QVERIFY(unit && *unit >= 0.1 && *unit <= 0.8); // a tablet
    QTest::mouseClick(drugButtons()[0], Qt::LeftButton);
    // The foreign container is no drug: the weights stay the first drug's.
    QTest::mouseClick(button("foreignContainer"), Qt::LeftButton);
    QVERIFY(panel_->findChild<QLabel*>("laidDrug")->text().startsWith(containers_[0].drug + ":"));
    panel_->findChild<QSpinBox*>("count")->setValue(28);
    const auto set = [this] { return statusLine(balance_, "weight").section(' ', 1).toDouble(); };

    QTest::mouseClick(expected, Qt::LeftButton);
    QVERIFY2(qAbs(set() - 28 * *unit) < 0.0051, qPrintable(statusLine(balance_, "weight")));
    QTest::mouseClick(off, Qt::LeftButton);
    QVERIFY2(qAbs(set() - 28 * *unit * 1.2) < 0.0051, qPrintable(statusLine(balance_, "weight")));
    QTest::mouseClick(button("unstable"), Qt::LeftButton);
    QCOMPARE(statusLine(balance_, "stable"), QString("stable off"));
    // Any weight set makes it stable again, after the weight.
    QTest::mouseClick(expected, Qt::LeftButton);
    QCOMPARE(statusLine(balance_, "stable"), QString("stable on"));
    QVERIFY(qAbs(set() - 28 * *unit) < 0.0051);

    // A drug without a unit weight leaves nothing to set.
    QTest::mouseClick(drugButtons().last(), Qt::LeftButton);
    QVERIFY(!expected->isEnabled() && !off->isEnabled());
}

void TestBenchPanel::faultSwitches() {
    auto* reader = panel_->findChild<QComboBox*>("readerFault");
    auto* balance = panel_->findChild<QComboBox*>("balanceFault");
    reader->setCurrentText("slow 2000");
    QCOMPARE(statusLine(reader_, "fault"), QString("fault slow 2000"));
    reader->setCurrentText("badcrc");
    QCOMPARE(statusLine(reader_, "fault"), QString("fault badcrc"));
    balance->setCurrentText("flood");
    QCOMPARE(statusLine(balance_, "fault"), QString("fault flood"));

    // A hang-up leaves the lasting fault as it was.
    QTest::mouseClick(button("balanceHangUp"), Qt::LeftButton);
    QVERIFY2(status().endsWith("ok"), qPrintable(status()));
    QCOMPARE(statusLine(balance_, "fault"), QString("fault flood"));
}

void TestBenchPanel::emulatorGoneLeavesButtonsAsTheyWere() {
    reader_.stop();
    QPushButton* drug = drugButtons().first();
    QTest::mouseClick(drug, Qt::LeftButton);
    QVERIFY(!drug->isChecked());
    QVERIFY2(status().contains("reader/control.sock: no such socket"), qPrintable(status()));

    auto* reader = panel_->findChild<QComboBox*>("readerFault");
    reader->setCurrentText("silence");
    QCOMPARE(reader->currentText(), QString("none"));
}

void TestBenchPanel::clientWithoutEmulator() {
    const std::string path = dir_->filePath("elsewhere.sock").toStdString();
    const ControlAnswer answer = ControlClient(path).send("status");
    QCOMPARE(answer.outcome, ControlAnswer::Outcome::NoAnswer);
    QCOMPARE(answer.summary(), path + ": no such socket (is the emulator running?)");
}

void TestBenchPanel::clientAnswersThatNeverEnd_data() {
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<QString>("problem");
    QTest::newRow("last line never comes") << Behaviour::Unended << "no whole answer";
    QTest::newRow("endless lines") << Behaviour::Endless << "longer than 1024";
    QTest::newRow("hangs up mid-answer") << Behaviour::HangsUp << "went away";
}

void TestBenchPanel::clientAnswersThatNeverEnd() {
    QFETCH(Behaviour, behaviour);
    QFETCH(QString, problem);
    const QString path = dir_->filePath("fake.sock");
    const int listener = listenAt(path);
    QVERIFY(listener >= 0);
    std::thread peer(misbehave, listener, behaviour);
    const ControlAnswer answer =
        ControlClient(path.toStdString(), kShortTimeout, kSmallAnswerLimit).send("status");
    peer.join();
    ::close(listener);
    QCOMPARE(answer.outcome, ControlAnswer::Outcome::NoAnswer);
    QVERIFY2(QString::fromStdString(answer.problem).contains(problem), answer.problem.c_str());
    QCOMPARE(answer.lines.at(0), std::string("weight 1.00"));
}

void TestBenchPanel::toolExitCodes() {
    const QString socket = dir_->filePath("balance/control.sock");
    QCOMPARE(runTool({socket, "weight", "-3.5"}).exitCode, 0);
    const ToolRun status = runTool({socket, "status"});
    QCOMPARE(status.exitCode, 0);
    QVERIFY2(status.output.contains("\nweight -3.50\n") && status.output.endsWith("\nok\n"),
             qPrintable(status.output));

    const ToolRun refused = runTool({socket, "weight", "1.23456"});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.output.startsWith("error: "), qPrintable(refused.output));

    const ToolRun missing = runTool({dir_->filePath("elsewhere.sock"), "status"});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY2(missing.errors.contains("elsewhere.sock"), qPrintable(missing.errors));
}

// Also the window programs, without a display: they answer before they open a window.
void TestBenchPanel::everyProgramPrintsTheVersion() {
    const auto restore =
        qScopeGuard([platform = qgetenv("QT_QPA_PLATFORM"), display = qgetenv("DISPLAY")] {
            qputenv("QT_QPA_PLATFORM", platform);
            if (!display.isNull())
                qputenv("DISPLAY", display);
        });
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    for (const char* program :
         {"dispensing-station", "bench-panel", "reader-emulator", "balance-emulator",
          "emulator-control", "demo-db-maker", "db-copy", "dispensing-report", "dispense-worker"}) {
        const ToolRun run = ::runTool(QString::fromLatin1(program), {"--version"});
        QVERIFY2(run.exitCode == 0, qPrintable(program + QStringLiteral(": ") + run.errors));
        QCOMPARE(run.output, QStringLiteral("%1 %2\n").arg(program, STATION_PROJECT_VERSION));
    }
}

QTEST_MAIN(TestBenchPanel)
#include "test_benchpanel.moc"
