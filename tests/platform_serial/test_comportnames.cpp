#include "ComPortNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::comPortDevice;

// Runs in a temporary working directory, where the links of "dosdevices" are looked for.
class TestComPortNames : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void mapsWithoutLinks_data();
    void mapsWithoutLinks();
    void linkInWorkingDirectoryWins();
    void plainFileCounts();
    void danglingLinkStillWins();

private:
    QString previousDirectory_;
    std::unique_ptr<QTemporaryDir> directory_;
};

void TestComPortNames::init() {
    previousDirectory_ = QDir::currentPath();
    directory_ = std::make_unique<QTemporaryDir>();
    QVERIFY(directory_->isValid());
    QVERIFY(QDir::setCurrent(directory_->path()));
}

void TestComPortNames::cleanup() {
    QDir::setCurrent(previousDirectory_);
    directory_.reset();
}

void TestComPortNames::mapsWithoutLinks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("device");

    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("COM4") << "COM4"
                          << "/dev/ttyS3";
    QTest::newRow("COM9") << "COM9"
                          << "/dev/ttyS8";
    QTest::newRow("lower case") << "com2"
                                << "/dev/ttyS1";
    QTest::newRow("mixed case") << "cOm3"
                                << "/dev/ttyS2";
    QTest::newRow("COM0 is no COM name") << "COM0"
                                         << "COM0";
    QTest::newRow("two digits") << "COM10"
                                << "COM10";
    QTest::newRow("no digit") << "COM"
                              << "COM";
    QTest::newRow("letter for digit") << "COMx"
                                      << "COMx";
    QTest::newRow("leading blank") << " COM1"
                                   << " COM1";
    QTest::newRow("trailing colon") << "COM1:"
                                    << "COM1:";
    QTest::newRow("device path") << "/dev/ttyUSB0"
                                 << "/dev/ttyUSB0";
    QTest::newRow("relative path") << "dosdevices/com1"
                                   << "dosdevices/com1";
    QTest::newRow("empty") << ""
                           << "";
}

void TestComPortNames::mapsWithoutLinks() {
    QFETCH(QString, name);
    QFETCH(QString, device);
    QCOMPARE(QString::fromStdString(comPortDevice(name.toStdString())), device);
}

void TestComPortNames::linkInWorkingDirectoryWins() {
    QVERIFY(QDir().mkdir("dosdevices"));
    QVERIFY(QFile::link("/dev/null", "dosdevices/com2"));

    QCOMPARE(comPortDevice("COM2"), std::string("dosdevices/com2"));
    QCOMPARE(comPortDevice("com2"), std::string("dosdevices/com2"));
    // Only the linked number is redirected.
    QCOMPARE(comPortDevice("COM1"), std::string("/dev/ttyS0"));
    QCOMPARE(comPortDevice("COM3"), std::string("/dev/ttyS2"));
}

void TestComPortNames::plainFileCounts() {
    QVERIFY(QDir().mkdir("dosdevices"));
    QFile file("dosdevices/com4");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(comPortDevice("COM4"), std::string("dosdevices/com4"));
}

void TestComPortNames::danglingLinkStillWins() {
    QVERIFY(QDir().mkdir("dosdevices"));
    QVERIFY(QFile::link("/nonexistent/ttyGone", "dosdevices/com1"));
    QCOMPARE(comPortDevice("COM1"), std::string("dosdevices/com1"));
}

QTEST_APPLESS_MAIN(TestComPortNames)
#include "test_comportnames.moc"
