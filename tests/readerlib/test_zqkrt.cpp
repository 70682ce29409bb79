#include "FailingAllocations.h"
#include "PseudoTerminal.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

std::string readerParameter(int32_t handle, const char* name, int32_t expectedStatus = ZQKRT_OK) {
    char value[ZQKRT_VALUE_BUFFER_SIZE] = {};
    const int32_t status = ZQKRT_GetReaderParaBuf(handle, name, value, sizeof value);
    return status == expectedStatus ? std::string(value) : "status " + std::to_string(status);
}

} // namespace

// Readers live as long as the process, so the test counts every one it makes: the last test
// fills the table up to its limit.
class TestZqkrt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void newReaderCountsUp();
    void bindsToOpenPort();
    void refusesPortHandlesNotOpen_data();
    void refusesPortHandlesNotOpen();
    void logProtocolFlag_data();
    void logProtocolFlag();
    void badReaderHandles();
    void protocolLock();
    void unknownNames_data();
    void unknownNames();
    void nullArguments();
    void sizedReadRefusesSmallBuffers();
    void callsFromTwoThreads();
    void outOfMemoryIsAnInternalError();
    void readerLimit();

private:
    int32_t newReader();

    QString previousDirectory_;
    std::unique_ptr<QTemporaryDir> directory_;
    PseudoTerminal terminal_;
    std::atomic<int> readersMade_{0};
};

int32_t TestZqkrt::newReader() {
    const int32_t handle = ZQKRT_NewReader(0);
    if (handle > 0) {
        ++readersMade_;
    }
    return handle;
}

void TestZqkrt::initTestCase() {
    previousDirectory_ = QDir::currentPath();
    directory_ = std::make_unique<QTemporaryDir>();
    QVERIFY(directory_->isValid());
    QVERIFY(QDir::setCurrent(directory_->path()));
    QVERIFY(QDir().mkdir("dosdevices"));
    QVERIFY(terminal_.isValid());
    QVERIFY(QFile::link(QString::fromStdString(terminal_.slavePath()), "dosdevices/com1"));
}

void TestZqkrt::cleanupTestCase() {
    QDir::setCurrent(previousDirectory_);
}

void TestZqkrt::cleanup() {
    for (int32_t port = ZQCOM_GetPortList(0); port > 0; port = ZQCOM_GetPortList(0)) {
        QCOMPARE(ZQCOM_ClosePort(port), ZQCOM_OK);
    }
    ZQKRT_SetReaderPara(0, "LockProtToApp", "0");
}

void TestZqkrt::newReaderCountsUp() {
    const int32_t first = newReader();
    const int32_t second = newReader();
    const int32_t third = newReader();
    QVERIFY(first > 0);
    QVERIFY(second > first);
    QVERIFY(third > second);
    for (const int32_t reserved : {1, -1, 255}) {
        QCOMPARE(ZQKRT_NewReader(reserved), ZQKRT_ERR_BAD_ARGUMENT);
    }
}

void TestZqkrt::bindsToOpenPort() {
    const int32_t reader = newReader();
    const int32_t port = ZQCOM_OpenPort("1");
    QVERIFY(reader > 0);
    QVERIFY(port > 0);
    QCOMPARE(readerParameter(reader, "PortHnd"), std::string("0"));
    QCOMPARE(readerParameter(reader, "LogProt"), std::string("0"));
    QCOMPARE(ZQKRT_SetReaderPara(reader, "PortHnd", std::to_string(port).c_str()), ZQKRT_OK);
    QCOMPARE(readerParameter(reader, "PortHnd"), std::to_string(port));
    QCOMPARE(readerParameter(reader, "porthnd"), std::to_string(port));

    // Another reader binds to the same port; the first keeps its binding.
    const int32_t other = newReader();
    QCOMPARE(ZQKRT_SetReaderPara(other, "PORTHND", std::to_string(port).c_str()), ZQKRT_OK);
    QCOMPARE(readerParameter(other, "PortHnd"), std::to_string(port));
    QCOMPARE(readerParameter(reader, "PortHnd"), std::to_string(port));
}

void TestZqkrt::refusesPortHandlesNotOpen_data() {
    QTest::addColumn<QString>("value");
    for (const char* value : {"closed", "0", "-1", "", "abc", "1x", " 1", "+1", "2147483648",
                              "99999999999999999999", "1000000"}) {
        QTest::newRow(value) << value;
    }
}

void TestZqkrt::refusesPortHandlesNotOpen() {
    QFETCH(QString, value);
    const int32_t reader = newReader();
    const int32_t port = ZQCOM_OpenPort("1");
    QVERIFY(port > 0);
    QCOMPARE(ZQKRT_SetReaderPara(reader, "PortHnd", std::to_string(port).c_str()), ZQKRT_OK);

    std::string text = value.toStdString();
    if (value == "closed") {
        QCOMPARE(ZQCOM_ClosePort(port), ZQCOM_OK);
        text = std::to_string(port);
    }
    QCOMPARE(ZQKRT_SetReaderPara(reader, "PortHnd", text.c_str()), ZQKRT_ERR_BAD_VALUE);
    QCOMPARE(readerParameter(reader, "PortHnd"), std::to_string(port));
}

void TestZqkrt::logProtocolFlag_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("stored");

    QTest::newRow("on") << "LogProt"
                        << "1" << int(ZQKRT_OK) << "1";
    QTest::newRow("off, lower case") << "logprot"
                                     << "0" << int(ZQKRT_OK) << "0";
    QTest::newRow("on, upper case") << "LOGPROT"
                                    << "1" << int(ZQKRT_OK) << "1";
    QTest::newRow("2") << "LogProt"
                       << "2" << int(ZQKRT_ERR_BAD_VALUE) << "1";
    QTest::newRow("empty") << "LogProt"
                           << "" << int(ZQKRT_ERR_BAD_VALUE) << "1";
    QTest::newRow("on as word") << "LogProt"
                                << "on" << int(ZQKRT_ERR_BAD_VALUE) << "1";
    QTest::newRow("01") << "LogProt"
                        << "01" << int(ZQKRT_ERR_BAD_VALUE) << "1";
}

void TestZqkrt::logProtocolFlag() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(int, status);
    QFETCH(QString, stored);

    const int32_t reader = newReader();
    QCOMPARE(ZQKRT_SetReaderPara(reader, "LogProt", "1"), ZQKRT_OK);
    QCOMPARE(ZQKRT_SetReaderPara(reader, name.toLatin1().constData(), value.toLatin1().constData()),
             status);
    QCOMPARE(QString::fromStdString(readerParameter(reader, "LogProt")), stored);
}

void TestZqkrt::badReaderHandles() {
    const int32_t reader = newReader();
    const int32_t port = ZQCOM_OpenPort("1");
    QVERIFY(port > 0);
    const std::string portText = std::to_string(port);
    char value[ZQKRT_VALUE_BUFFER_SIZE];

    for (const int32_t handle : {reader + 100000, -1, -reader}) {
        QCOMPARE(ZQKRT_SetReaderPara(handle, "PortHnd", portText.c_str()), ZQKRT_ERR_BAD_HANDLE);
        QCOMPARE(ZQKRT_SetReaderPara(handle, "LogProt", "1"), ZQKRT_ERR_BAD_HANDLE);
        QCOMPARE(ZQKRT_GetReaderPara(handle, "PortHnd", value), ZQKRT_ERR_BAD_HANDLE);
        QCOMPARE(ZQKRT_GetReaderPara(handle, "LogProt", value), ZQKRT_ERR_BAD_HANDLE);
    }
    // Reader parameters need a reader, library parameters live on handle 0 only.
    QCOMPARE(ZQKRT_SetReaderPara(0, "PortHnd", portText.c_str()), ZQKRT_ERR_BAD_HANDLE);
    QCOMPARE(ZQKRT_SetReaderPara(0, "LogProt", "1"), ZQKRT_ERR_BAD_HANDLE);
    QCOMPARE(ZQKRT_GetReaderPara(0, "PortHnd", value), ZQKRT_ERR_BAD_HANDLE);
    QCOMPARE(ZQKRT_SetReaderPara(reader, "LockProtToApp", "1"), ZQKRT_ERR_BAD_HANDLE);
    QCOMPARE(ZQKRT_GetReaderPara(reader, "IsProtToAppLocked", value), ZQKRT_ERR_BAD_HANDLE);
    QCOMPARE(readerParameter(0, "IsProtToAppLocked", ZQKRT_NOT_LOCKED), std::string("0"));
}

void TestZqkrt::protocolLock() {
    QCOMPARE(readerParameter(0, "IsProtToAppLocked", ZQKRT_NOT_LOCKED), std::string("0"));

    QCOMPARE(ZQKRT_SetReaderPara(0, "LockProtToApp", "1"), ZQKRT_OK);
    QCOMPARE(readerParameter(0, "IsProtToAppLocked", ZQKRT_OK), std::string("1"));
    QCOMPARE(readerParameter(0, "LockProtToApp"), std::string("1"));

    QCOMPARE(ZQKRT_SetReaderPara(0, "lockprottoapp", "yes"), ZQKRT_ERR_BAD_VALUE);
    QCOMPARE(ZQKRT_SetReaderPara(0, "IsProtToAppLocked", "0"), ZQKRT_ERR_READ_ONLY);
    QCOMPARE(readerParameter(0, "isprottoapplocked", ZQKRT_OK), std::string("1"));

    // Releasing must answer "not locked", or a close that waits for it repeats for ever.
    QCOMPARE(ZQKRT_SetReaderPara(0, "LOCKPROTTOAPP", "0"), ZQKRT_OK);
    char scratch[ZQKRT_VALUE_BUFFER_SIZE];
    QCOMPARE(ZQKRT_GetReaderPara(0, "IsProtToAppLocked", scratch), ZQKRT_NOT_LOCKED);
    QCOMPARE(std::string(scratch), std::string("0"));
}

void TestZqkrt::unknownNames_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"", "Port", "PortHnd ", " LogProt", "Baud", "LogProtocol", "LockProt"}) {
        QTest::newRow(qPrintable(QString("'%1'").arg(name))) << name;
    }
}

void TestZqkrt::unknownNames() {
    QFETCH(QString, name);
    const int32_t reader = newReader();
    char value[ZQKRT_VALUE_BUFFER_SIZE];
    for (const int32_t handle : {reader, 0}) {
        QCOMPARE(ZQKRT_SetReaderPara(handle, name.toLatin1().constData(), "1"),
                 ZQKRT_ERR_UNKNOWN_PARAMETER);
        QCOMPARE(ZQKRT_GetReaderPara(handle, name.toLatin1().constData(), value),
                 ZQKRT_ERR_UNKNOWN_PARAMETER);
    }
}

void TestZqkrt::nullArguments() {
    const int32_t reader = newReader();
    char value[ZQKRT_VALUE_BUFFER_SIZE];
    QCOMPARE(ZQKRT_SetReaderPara(reader, nullptr, "1"), ZQKRT_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQKRT_SetReaderPara(reader, "LogProt", nullptr), ZQKRT_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQKRT_GetReaderPara(reader, nullptr, value), ZQKRT_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQKRT_GetReaderPara(reader, "LogProt", nullptr), ZQKRT_ERR_BAD_ARGUMENT);
    QCOMPARE(ZQKRT_GetReaderParaBuf(0, "IsProtToAppLocked", nullptr, 0), ZQKRT_ERR_BAD_ARGUMENT);
}

void TestZqkrt::sizedReadRefusesSmallBuffers() {
    const int32_t reader = newReader();
    const int32_t port = ZQCOM_OpenPort("1");
    QVERIFY(port > 0);
    const std::string portText = std::to_string(port);
    QCOMPARE(ZQKRT_SetReaderPara(reader, "PortHnd", portText.c_str()), ZQKRT_OK);

    std::vector<char> value(portText.size() + 4, 'Z');
    QCOMPARE(ZQKRT_GetReaderParaBuf(reader, "PortHnd", value.data(), portText.size()),
             ZQKRT_ERR_BUFFER_TOO_SMALL);
    QCOMPARE(value[0], '\0');
    QCOMPARE(value[1], 'Z');
    QCOMPARE(ZQKRT_GetReaderParaBuf(reader, "PortHnd", value.data(), portText.size() + 1),
             ZQKRT_OK);
    QCOMPARE(std::string(value.data()), portText);

    // Too small wins over the positive "not locked".
    char flag[1] = {'Z'};
    QCOMPARE(ZQKRT_GetReaderParaBuf(0, "IsProtToAppLocked", flag, sizeof flag),
             ZQKRT_ERR_BUFFER_TOO_SMALL);
    QCOMPARE(flag[0], '\0');
}

void TestZqkrt::callsFromTwoThreads() {
    const int32_t port = ZQCOM_OpenPort("1");
    QVERIFY(port > 0);
    const std::string portText = std::to_string(port);
    constexpr int kReadersEach = 100;
    std::atomic<int> faults{0};
    std::vector<int32_t> made[2];

    auto work = [&](std::vector<int32_t>& handles) {
        for (int i = 0; i < kReadersEach; ++i) {
            const int32_t reader = newReader();
            handles.push_back(reader);
            if (reader <= 0 || ZQKRT_SetReaderPara(reader, "PortHnd", portText.c_str()) != 0 ||
                ZQKRT_SetReaderPara(reader, "LogProt", i % 2 == 0 ? "1" : "0") != 0 ||
                ZQKRT_SetReaderPara(0, "LockProtToApp", i % 2 == 0 ? "1" : "0") != 0 ||
                readerParameter(reader, "PortHnd") != portText) {
                ++faults;
            }
        }
    };
    std::thread first(work, std::ref(made[0]));
    std::thread second(work, std::ref(made[1]));
    first.join();
    second.join();

    QCOMPARE(faults.load(), 0);
    std::set<int32_t> distinct(made[0].begin(), made[0].end());
    distinct.insert(made[1].begin(), made[1].end());
    QCOMPARE(distinct.size(), std::size_t(2 * kReadersEach));
    QCOMPARE(readerParameter(made[0].back(), "LogProt"), std::string("0"));
}

void TestZqkrt::outOfMemoryIsAnInternalError() {
    const int32_t reader = newReader();
    const std::uint8_t inventory[] = {0x01, 0x00};
    std::uint8_t response[ZQKRT_RESPONSE_BUFFER_SIZE];
    int32_t responseLength = 77;
    int32_t isoStatus = 0;
    int32_t newStatus = 0;
    {
        const FailingAllocations failing;
        isoStatus = ZQKRT_0xB0_ISOCmd(reader, 255, inventory, 2, response, &responseLength, 0);
        newStatus = ZQKRT_NewReader(0);
    }
    QCOMPARE(isoStatus, int32_t{ZQKRT_ERR_INTERNAL});
    QCOMPARE(responseLength, 0);
    QCOMPARE(newStatus, int32_t{ZQKRT_ERR_INTERNAL});
    // The reader table took no harm.
    QCOMPARE(newReader(), reader + 1);
}

void TestZqkrt::readerLimit() {
    int32_t status = 0;
    while ((status = newReader()) > 0 && readersMade_ <= ZQKRT_MAX_READERS) {
    }
    QCOMPARE(status, ZQKRT_ERR_TOO_MANY_READERS);
    QCOMPARE(readersMade_.load(), ZQKRT_MAX_READERS);
    QCOMPARE(ZQKRT_NewReader(0), ZQKRT_ERR_TOO_MANY_READERS);
}

QTEST_APPLESS_MAIN(TestZqkrt)
#include "test_zqkrt.moc"
