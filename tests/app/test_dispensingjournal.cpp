#include "DispensingJournal.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The journal file: one line per event, whatever the fields hold.
class TestDispensingJournal : public QObject {
    Q_OBJECT

private slots:
    void linesAppendAndStayWhole() {
        QTemporaryDir folder;
        const QString path = folder.filePath(DispensingJournal::defaultFileName());
        DispensingJournal journal(path);
        QVERIFY(journal.record(journal_event::lineStored(), {"0001", "阿斯\t匹靈\r\n錠", "1.5克"}));
        DispensingJournal again(path);
        QVERIFY(again.record(journal_event::orderCompleted(), {"0001"}));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[2].isEmpty());
        const QStringList stored = lines[0].split('\t');
        QCOMPARE(stored.mid(1), QStringList({"配藥完成", "0001", "阿斯 匹靈  錠", "1.5克"}));
        QVERIFY(QDateTime::fromString(stored[0], Qt::ISODate).isValid());
        QCOMPARE(lines[1].split('\t').mid(1), QStringList({"全部完成", "0001"}));
    }

    void unwritableFileIsReported() {
        QTemporaryDir folder;
        DispensingJournal journal(
            folder.filePath("missing/" + DispensingJournal::defaultFileName()));
        QVERIFY(!journal.record(journal_event::orderOpened(), {"0001"}));
        QVERIFY(!journal.record(journal_event::orderOpened(), {"0001"}));
    }
};

QTEST_GUILESS_MAIN(TestDispensingJournal)
#include "test_dispensingjournal.moc"
