#include "IniFile.h"
#include "MessageBoxes.h"
#include "PcscDaemon.h"
#include "ReaderPortFixture.h"
#include "TagListStation.h"
#include "WorkingFolder.h"
#include "ZQDlgFindReader.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace std::string_literals;

namespace {

constexpr int kLimitMs = 120000;

} // namespace

// The search over a private pcscd (scripts/rig/pcsc-rig.sh) whose virtual reader the reader
// emulator's card face serves; COM1..COM4 lead to no device.
class TestFindPcscReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void foundAfterTheSerialPortsAndKeptInTheIni();
    void tagListFollowsTheCard();

private:
    // Parameter name of the port open in handles_.
    std::string portParameter(const char* name) const {
        char value[ZQCOM_VALUE_BUFFER_SIZE] = {};
        return ZQCOM_GetPortParaBuf(handles_.PortHandle, name, value, sizeof value) < 0 ? "<error>"
                                                                                        : value;
    }

    // The station's working folder; the emulator has a folder of its own in it.
    ScratchWorkingFolder folder_;
    PcscDaemon daemon_;
    ReaderEmulatorProcess emulator_;
    // The main window's, for the dialog and the INI steps.
    ReaderHandles handles_;
};

void TestFindPcscReader::initTestCase() {
    QVERIFY(folder_.enter());
    QString error;
    QVERIFY2(daemon_.start(error), qPrintable(error));
    QVERIFY2(emulator_.start(
                 QCoreApplication::applicationDirPath() + "/reader-emulator",
                 folder_.filePath("emulator"),
                 {"--no-delays", "--port", "COM1", "--pcsc", "127.0.0.1:" + daemon_.cardPort()},
                 error),
             qPrintable(error));
    for (int n = 1; n <= 4; ++n)
        QVERIFY(linkComPort(n, folder_.filePath("none")));
    handles_.ReaderHandle = ZQKRT_NewReader(0);
    QVERIFY(handles_.ReaderHandle > 0);
}

void TestFindPcscReader::cleanupTestCase() {
    ZQCOM_ClosePort(handles_.PortHandle.exchange(0));
    emulator_.stop();
}

// The INI file then opens the same reader again.
void TestFindPcscReader::foundAfterTheSerialPortsAndKeptInTheIni() {
    TForm_FindReader dialog(handles_);
    QTimer::singleShot(0, &dialog, [&] {
        auto* ok = dialog.findChild<QPushButton*>("Btn_Ok");
        const bool found = QTest::qWaitFor([ok] { return ok->isEnabled(); }, kLimitMs);
        dialog.done(found ? QDialog::Accepted : QDialog::Rejected);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(portParameter("PortNr"), "5"s);
    const std::string name = portParameter("ReaderName");
    QVERIFY2(QByteArray::fromStdString(name).startsWith("Virtual PCD"), name.c_str());
    QCOMPARE(dialog.findChild<QLabel*>("Txt_Out")->text(),
             QString::fromStdString("PortNr: 5 (PC/SC)\r\nReader: " + name + "\r\nTimeOut: 800"));
    QCOMPARE(ZQKRT_0x52_GetBaud(handles_.ReaderHandle, 255), 0);

    const std::string ini = readerIniPath();
    reader_ini::SaveIni(ini, handles_);
    QCOMPARE(platform::readPrivateProfileString(kReaderIniSection, "COM", "", ini), "5"s);
    QCOMPARE(ZQCOM_ClosePort(handles_.PortHandle.exchange(0)), ZQCOM_OK);
    FakePortHost host(handles_);
    reader_ini::LoadIni(ini, host, handles_);
    QCOMPARE(host.runEnabled, std::optional<bool>(true));
    QCOMPARE(portParameter("ReaderName"), name);
    QCOMPARE(ZQKRT_0x52_GetBaud(handles_.ReaderHandle, 255), 0);
}

// The station's tag list on the reader the INI file opened, as over the serial line. The private
// daemon stopped and started again takes the reader away and brings it back under its name: the
// inventory follows on its own, without a message, and the port keeps its settings.
void TestFindPcscReader::tagListFollowsTheCard() {
    const QString uid = "E004010012345678";
    const std::string name = portParameter("ReaderName");
    platform::MessageRecorder messages;
    const ReaderLibraryCalls library;
    Station station(handles_.ReaderHandle, {}, &library, &handles_);
    QList<bool> away;
    connect(station.inventory.get(), &TagInventory::readerAway, this,
            [&](bool isAway) { away << isAway; });
    QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
    QVERIFY(emulator_.command("place " + uid));
    QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + uid}, kLimitMs);
    QCOMPARE(station.count.text(), QString(" 1 Tag in Field"));

    QCOMPARE(ZQCOM_SetPortPara(handles_.PortHandle, "TimeOut", "700"), ZQCOM_OK);
    QVERIFY(daemon_.stop());
    QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
    QTRY_COMPARE_WITH_TIMEOUT(away, QList<bool>{true}, kLimitMs);
    // Once a try to open it again has failed.
    QTRY_COMPARE_WITH_TIMEOUT(std::int32_t(handles_.PortHandle), 0, kLimitMs);
    QVERIFY(daemon_.restart());
    QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + uid}, kLimitMs);
    QCOMPARE(away, QList<bool>({true, false}));
    QCOMPARE(portParameter("ReaderName"), name);
    QCOMPARE(portParameter("TimeOut"), "700"s);
    QVERIFY(messages.messages().isEmpty());

    QVERIFY(emulator_.command("clear"));
    QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
    QCOMPARE(station.seenSerials(), QStringList{uid});
}

QTEST_MAIN(TestFindPcscReader)
#include "test_findpcscreader.moc"
