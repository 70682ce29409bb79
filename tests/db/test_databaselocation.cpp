#include "DatabaseLocation.h"
#include "IniFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace db;

class TestDatabaseLocation : public QObject {
    Q_OBJECT

private slots:
    void fromTheStationIni_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("fault");
        QTest::addColumn<int>("seconds");
        QTest::newRow("no file") << QByteArray() << false << "藥袋正規化.db" << false << 5;
        QTest::newRow("reader settings only")
            << QByteArray("[COMPORT]\r\nCOM=3\r\n") << false << "藥袋正規化.db" << false << 5;
        QTest::newRow("empty key")
            << QByteArray("[Database]\nPostgreSQL=\n") << false << "藥袋正規化.db" << false << 5;
        QTest::newRow("service name") << QByteArray("[database]\npostgresql = pharmacy\n") << true
                                      << "service=pharmacy" << false << 5;
        QTest::newRow("connection text")
            << QByteArray("[Database]\nPostgreSQL=\"host=db1 dbname=rx user=station\"\n") << true
            << "host=db1 dbname=rx user=station" << false << 5;
        QTest::newRow("password") << QByteArray("[Database]\nPostgreSQL=host=db1 PassWord =x\n")
                                  << true << "host=db1 PassWord =x" << true << 5;
        QTest::newRow("semicolon") << QByteArray("[Database]\nPostgreSQL=host=db1;x\n") << true
                                   << "host=db1;x" << true << 5;
        QTest::newRow("statement time-out")
            << QByteArray("[Database]\nPostgreSQL=pharmacy\nStatementTimeout= 12 \n") << true
            << "service=pharmacy" << false << 12;
        for (const char* bad : {"0", "-3", "601", "5s", "2.5", "99999999999999999999"})
            QTest::newRow(bad) << QByteArray("[Database]\nPostgreSQL=pharmacy\nStatementTimeout=") +
                                      bad + '\n'
                               << true << "service=pharmacy" << false << 5;
    }

    void fromTheStationIni() {
        QFETCH(QByteArray, ini);
        QFETCH(bool, server);
        QFETCH(QString, target);
        QFETCH(bool, fault);
        QFETCH(int, seconds);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("station.ini"));
        if (!ini.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini);
        }
        const DatabaseLocation location = DatabaseLocation::fromIni(path.toStdString());
        QCOMPARE(location.isServer(), server);
        QCOMPARE(location.target(), target);
        QCOMPARE(!location.fault().isEmpty(), fault);
        QCOMPARE(location.statementTimeout().count(), seconds);
    }

    void serverTextsThatAreRefused_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<bool>("refused");
        QTest::newRow("fine") << "host=db1 dbname=rx passfile=/etc/rx.pass" << false;
        QTest::newRow("password first") << "password=x host=db1" << true;
        QTest::newRow("control character") << QStringLiteral("host=db1\ndbname=x") << true;
        QTest::newRow("URI in capitals") << "POSTGRES://db1/rx" << true;
        QTest::newRow("blank") << "  " << true;
    }

    void serverTextsThatAreRefused() {
        QFETCH(QString, connection);
        QFETCH(bool, refused);
        QCOMPARE(!DatabaseLocation::server(connection).fault().isEmpty(), refused);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseLocation)
#include "test_databaselocation.moc"
