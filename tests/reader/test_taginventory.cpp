#include "HexEdit.h"
#include "MessageBoxes.h"
#include "ReaderEmulatorProcess.h"
#include "TagListStation.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

namespace {

constexpr int kLimitMs = 10000;
const QString a = "E004010000000001";
const QString b = "E004010000000002";
const QString c = "E004010000000003";
const QString d = "E004010000000004";

std::atomic<int> resets{0};
std::atomic<int> resettingThreads{0};

// The reader's RF reset, counting the calls and the threads that make them.
std::int32_t countedReset(std::int32_t reader, std::int32_t address) {
    thread_local bool counted = false;
    if (!counted)
        ++resettingThreads;
    counted = true;
    ++resets;
    return ZQKRT_0x69_RFReset(reader, address);
}

} // namespace

class TestTagInventory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(emulator_.start(QCoreApplication::applicationDirPath() + "/reader-emulator",
                                 directory_.path(), {"--no-delays"}, error),
                 qPrintable(error));
        QVERIFY(QDir::setCurrent(directory_.path()));
        reader_ = ZQKRT_NewReader(0);
        openPort();
    }

    void listFollowsTheField() {
        const int threadsBefore = resettingThreads;
        Station station(reader_, {.RFReset = countedReset});
        QCOMPARE(station.run.text(), QString("&Stop"));
        QVERIFY(!station.comPort.isEnabled() && !station.searchReader.isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
        QVERIFY(station.inventory->InventoryRunning());
        station.inventory->Btn_RunClick();

        QVERIFY(emulator_.command("place " + a + " 00 28 4"));
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" 1 Tag in Field"), kLimitMs);
        QCOMPARE(station.rows(), QStringList{"I-Code " + a});
        QVERIFY(emulator_.command("place " + b + " 01 8 4"));
        QVERIFY(emulator_.command("place " + c + " 03 64 4"));
        const QStringList three{"I-Code " + a, "Tag-it " + b, "ISO " + c};
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), three, kLimitMs);
        QCOMPARE(station.count.text(), QString("3 Tags in Field"));
        // Nothing sets blocks to read, so the view keeps its zeros.
        THexEdit view("", 3, 4);
        QCOMPARE(station.clickedLayout(1, view), 804);
        QCOMPARE(view.Title(), std::string("DB"));
        QCOMPARE(view.Data(), std::string(32, '\0'));

        station.inventory->Btn_ClearTagListClick();
        QVERIFY(station.rows().isEmpty() && station.count.text().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), three, kLimitMs);

        QVERIFY(emulator_.command("remove " + a));
        QVERIFY(emulator_.command("place " + d + " 02 28 4"));
        QTRY_COMPARE_WITH_TIMEOUT(
            station.rows(), QStringList({"Tag-it " + b, "ISO " + c, "unknown " + d}), kLimitMs);
        QCOMPARE(station.clickedLayout(2, view), 804);
        QVERIFY(emulator_.command("clear"));
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
        QCOMPARE(station.seenSerials(), QStringList({a, b, c, d}));
        // The second press started no thread of its own.
        QCOMPARE(resettingThreads - threadsBefore, 1);

        station.inventory->stop();
        QVERIFY(!station.inventory->InventoryRunning());
        QVERIFY(station.rows().isEmpty() && station.count.text().isEmpty());
        QCOMPARE(station.run.text(), QString("&Run"));
        QVERIFY(station.comPort.isEnabled() && station.searchReader.isEnabled());
        // A row whose transponder the table no longer holds gives no data.
        new QTreeWidgetItem(&station.list, QStringList{"I-Code", a});
        QCOMPARE(station.clickedLayout(0, view), 1104);
        QCOMPARE(view.Data(), std::string(44, '\0'));
        QVERIFY(messages_.messages().isEmpty());
    }

    // A reader that answers badly leaves the list as it was for a while and has it emptied about
    // a second after the last good pass. A line that hangs up fails every pass at once: the failed
    // passes are spaced out and the windows go on; the emulator's new line under the same name is
    // opened again with the port's settings, and the reader is inventoried again.
    void failingReader() {
        QVERIFY(emulator_.command("place " + a));
        const ReaderLibraryCalls library;
        Station station(reader_, {.RFReset = countedReset}, &library, &handles_);
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + a}, kLimitMs);
        QStringList shown;
        connect(station.inventory.get(), &TagInventory::tagListChanged, this,
                [&] { shown << station.rows().join(','); });
        QElapsedTimer failing;
        failing.start();
        QVERIFY(emulator_.command("fault badcrc"));
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
        QVERIFY2(failing.elapsed() >= 500, qPrintable(QString::number(failing.elapsed())));
        QCOMPARE(shown.filter("I-Code " + a).size(), shown.size() - 1);

        QVERIFY(emulator_.command("fault none"));
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + a}, kLimitMs);
        QList<bool> away;
        connect(station.inventory.get(), &TagInventory::readerAway, this,
                [&](bool isAway) { away << isAway; });
        QCOMPARE(ZQCOM_SetPortPara(port_, "TimeOut", "700"), ZQCOM_OK);
        failing.restart();
        const int resetsBefore = resets;
        QVERIFY(emulator_.command("fault hangup"));
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);
        const int failedResets = resets - resetsBefore;
        QVERIFY2(failedResets <= failing.elapsed() / 100 + 3,
                 qPrintable(QString("%1 in %2 ms").arg(failedResets).arg(failing.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + a}, kLimitMs);
        QCOMPARE(away, QList<bool>({true, false}));
        QVERIFY(handles_.PortHandle != port_);
        port_ = handles_.PortHandle;
        char timeOut[ZQCOM_VALUE_BUFFER_SIZE] = {};
        QCOMPARE(ZQCOM_GetPortPara(port_, "TimeOut", timeOut), ZQCOM_OK);
        QCOMPARE(QString(timeOut), QString("700"));
        QCOMPARE(ZQCOM_SetPortPara(port_, "TimeOut", "800"), ZQCOM_OK);
        QVERIFY(station.inventory->InventoryRunning());
    }

    // A silent reader's pass waits out the port's whole time-out: its containers leave the list
    // a second after the last good pass all the same, a click on a row does not wait for the
    // pass, and the owner goes at once.
    void silentReader() {
        QVERIFY(emulator_.command("clear") && emulator_.command("place " + a));
        Station station(reader_);
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"I-Code " + a}, kLimitMs);
        QCOMPARE(ZQCOM_SetPortPara(port_, "TimeOut", "60000"), ZQCOM_OK);
        QVERIFY(emulator_.command("fault silence"));
        QTRY_COMPARE_WITH_TIMEOUT(station.count.text(), QString(" No Tag in Field"), kLimitMs);

        new QTreeWidgetItem(&station.list, QStringList{"I-Code", a});
        THexEdit view("", 3, 4);
        QElapsedTimer held;
        held.start();
        QCOMPARE(station.clickedLayout(0, view), 1104);
        QVERIFY2(held.elapsed() < kLimitMs / 2, qPrintable(QString::number(held.elapsed())));
        held.restart();
        station.inventory->stop();
        QVERIFY2(held.elapsed() < kLimitMs / 2, qPrintable(QString::number(held.elapsed())));
        QVERIFY(emulator_.command("fault none"));
        QCOMPARE(ZQCOM_SetPortPara(port_, "TimeOut", "800"), ZQCOM_OK);
    }

    // A reply that announces three transponders but holds one gives one row.
    void rowsAreBoundByTheReply() {
        const QByteArray reply = QByteArray::fromHex("030300" + a.toLatin1() + "01");
        TZQKRT_ReaderCalls calls;
        calls.RFReset = [](std::int32_t, std::int32_t) { return 0; };
        calls.ISOCmd = [&](std::int32_t, std::int32_t, const std::uint8_t*, std::int32_t,
                           std::uint8_t* response, std::int32_t* length, std::int32_t) {
            *length = static_cast<std::int32_t>(std::copy(reply.begin(), reply.end(), response) -
                                                response);
            return 0;
        };
        Station station(0, calls);
        QTRY_COMPARE_WITH_TIMEOUT(station.rows(), QStringList{"ISO " + a}, kLimitMs);
        QCOMPARE(station.count.text(), QString(" 1 Tag in Field"));
    }

private:
    void openPort() {
        port_ = ZQCOM_OpenPort("1");
        QCOMPARE(ZQKRT_SetReaderPara(reader_, "PortHnd", std::to_string(port_).c_str()), ZQKRT_OK);
        handles_.PortHandle = port_;
        handles_.ReaderHandle = reader_;
    }

    QTemporaryDir directory_;
    ReaderEmulatorProcess emulator_;
    platform::MessageRecorder messages_;
    std::int32_t port_ = 0;
    std::int32_t reader_ = 0;
    ReaderHandles handles_;
};

QTEST_MAIN(TestTagInventory)
#include "test_taginventory.moc"
