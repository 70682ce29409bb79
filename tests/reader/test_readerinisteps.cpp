#include "IniFile.h"
#include "MessageBoxes.h"
#include "ReaderIniSteps.h"
#include "ReaderPortFixture.h"

#include <QFile>
#include <QTest>
#include <cstring>

Q_DECLARE_METATYPE(std::optional<bool>)

class TestReaderIniSteps : public QObject {
    Q_OBJECT

    ReaderPortFixture fixture;

    QString lastMessage() const {
        const QList<platform::Message>& shown = fixture.messages.messages();
        return shown.isEmpty() ? QString() : shown.last().text;
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(fixture.start(error), qPrintable(error));
    }

    void init() {
        fixture.reset();
        QFile::remove(QString::fromStdString(readerIniPath()));
    }

    void loadIni_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<std::optional<bool>>("runEnabled");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("baud");
        const auto row = [](const char* name, const QByteArray& content, std::optional<bool> run,
                            const char* message, const char* baud) {
            QTest::newRow(name) << content << run << QString(message) << QString(baud);
        };
        const std::optional<bool> unchanged;
        row("no file", QByteArray(), unchanged, "", "failed");
        row("no COM key", "[COMPORT]\nBaud=9600", unchanged, "", "failed");
        row("garbage", QByteArray("\x00\xff[COM\x01=\xfe\r\x1b\x00", 12), unchanged, "", "failed");
        row("no device", "[COMPORT]\nCOM=2", false, "ZQCOM-ErrorCode: -7", "failed");
        row("keys missing", "[comport]\nCOM=1\nBaud=9600", true, "", "9600");
        row("value refused whole", "[COMPORT]\nCOM=1\nBaud=9600\nFrame=8E1" + QByteArray(300, 'x'),
            true, "ZQCOM-ErrorCode: -3", "9600");
    }

    // Loaded twice: the second load must not fail on the port the first one opened.
    void loadIni() {
        QFETCH(QByteArray, content);
        QFETCH(std::optional<bool>, runEnabled);
        QFETCH(QString, message);
        QFETCH(QString, baud);
        FakePortHost host(fixture.handles);
        QFile file(QString::fromStdString(host.iniPath));
        QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content)));
        file.close();
        for (int load = 1; load <= 2; ++load) {
            reader_ini::LoadIni(host.iniPath, host, fixture.handles);
            QCOMPARE(host.runEnabled, runEnabled);
            QCOMPARE(lastMessage(), message);
            QCOMPARE(fixture.messages.messages().size(), message.isEmpty() ? 0 : load);
            QCOMPARE(fixture.portParameter("Baud"), baud.toStdString());
        }
        if (runEnabled && message.isEmpty()) {
            std::string settings;
            for (const char* name : {"Frame", "TimeOut", "TxTimeControl", "TxDelayTime"})
                settings += fixture.portParameter(name) + " ";
            QCOMPARE(settings, std::string("8E1 800 1 5 "));
            QCOMPARE(ZQKRT_0x52_GetBaud(fixture.handles.ReaderHandle, 255), 0);
        }
    }

    // A failed read writes nothing; a failed write is reported.
    void saveIniFailures() {
        const std::string path = readerIniPath();
        fixture.handles.PortHandle = ZQCOM_OpenPort("1");
        ReaderLibraryCalls library;
        library.GetPortPara = [](auto...) { return std::int32_t{ZQCOM_ERR_BUFFER_TOO_SMALL}; };
        reader_ini::SaveIni(path, fixture.handles, library);
        QVERIFY(!QFile::exists(QString::fromStdString(path)));
        QCOMPARE(lastMessage(), QString("ZQCOM-ErrorCode: -6"));
        reader_ini::SaveIni(fixture.dir.path().toStdString(), fixture.handles);
        QCOMPARE(lastMessage(), "Cannot save the port settings in " + fixture.dir.path());
    }
};

QTEST_MAIN(TestReaderIniSteps)
#include "test_readerinisteps.moc"
