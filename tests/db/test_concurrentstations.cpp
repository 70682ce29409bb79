// Several stations dispensing the same orders at once, as dispense-worker processes on one
// database: each line is stored by exactly one of them, the others are told it changed, and
// nothing else in the database moves.
#include "AuditTrail.h"
#include "DayText.h"
#include "DemoDatabaseMaker.h"
#include "DispenseWorkers.h"
#include "PrescriptionTables.h"
#include "ScratchServerDatabase.h"
#include "SqlRun.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

namespace {

constexpr int workers = 4;
constexpr int waitMs = 120000;
const QString dispensed = QStringLiteral("配藥完成");

// Table name → primary key as tab-separated text → the row's values.
using Snapshot = QMap<QString, QMap<QString, QVariantList>>;

// The demo content in a file of a temporary folder, or in a database of its own on the test
// server, dropped with this object.
class SharedDatabase {
public:
    explicit SharedDatabase(bool onServer) {
        if (onServer)
            server_.emplace();
    }

    bool onServer() const { return server_.has_value(); }
    QString filePath() const { return folder_.filePath(QStringLiteral("stations.db")); }
    QString serverDatabase() const { return server_->connectionText(); }

    QStringList workerLocation() const {
        return onServer() ? QStringList{QStringLiteral("--server"), serverDatabase()}
                          : QStringList{QStringLiteral("--file"), filePath()};
    }
    std::unique_ptr<db::TADOConnection> connect() const {
        return onServer() ? server_->connect() : connectToFile(filePath());
    }

    void fill(const QDate& today) {
        demodb::MakerSettings settings;
        if (onServer())
            settings.serverConnection = serverDatabase();
        else
            settings.outputPath = filePath();
        settings.cataloguePath = QStringLiteral(STATION_TRANSPONDER_CATALOGUE);
        settings.demo.today = today;
        settings.demo.orders = 112; // 16 a day
        settings.demo.seed = 7;
        demodb::makeDemoDatabase(settings);
    }

private:
    QTemporaryDir folder_;
    std::optional<ScratchServerDatabase> server_;
};

Snapshot snapshot(const SharedDatabase& database) {
    const auto connection = database.connect();
    Snapshot tables;
    for (const dbtools::Table& table : dbtools::prescriptionTables()) {
        QSqlQuery query(connection->database());
        query.setForwardOnly(true);
        connection->exec(query, table.name,
                         QStringLiteral("SELECT %1 FROM %2")
                             .arg(table.columnNames().join(QStringLiteral(", ")), table.name));
        while (query.next()) {
            QVariantList row;
            QStringList key;
            for (int i = 0; i < table.columns.size(); ++i) {
                row << query.value(i);
                if (i < table.keyColumns)
                    key << query.value(i).toString();
            }
            tables[table.name].insert(key.join(u'\t'), row);
        }
    }
    return tables;
}

const QString stationPrefix = QStringLiteral("station-");

QString stationName(int worker) {
    return stationPrefix + QString::number(worker + 1);
}

// Line (day, sequence, item joined by tabs) → the stations whose audit rows say they stored it.
// The demo's own history rows name other stations.
QMap<QString, QStringList> auditedStores(const SharedDatabase& database) {
    namespace audit = db::audit;
    const auto connection = database.connect();
    QSqlQuery query(connection->database());
    connection->exec(query, audit::Table,
                     QStringLiteral("SELECT %1, %2, %3, %4 FROM %5 WHERE %6 = '%7'")
                         .arg(audit::Day, audit::Sequence, audit::Item, audit::Station,
                              audit::Table, audit::Event, journal_event::lineStored()));
    QMap<QString, QStringList> stores;
    while (query.next())
        if (query.value(3).toString().startsWith(stationPrefix))
            stores[QStringList{query.value(0).toString(), query.value(1).toString(),
                               query.value(2).toString()}
                       .join(u'\t')]
                << query.value(3).toString();
    return stores;
}

} // namespace

class TestConcurrentStations : public QObject {
    Q_OBJECT

private slots:
    void eachLineStoredByOneStation_data() {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<bool>("readFirst");
        QTest::newRow("server, one order at a time") << true << false;
        QTest::newRow("server, every order read before any store") << true << true;
        QTest::newRow("file, one order at a time") << false << false;
        QTest::newRow("file, every order read before any store") << false << true;
    }

    void eachLineStoredByOneStation() {
        QFETCH(bool, onServer);
        QFETCH(bool, readFirst);
        const QDate today(2009, 7, 7);
        // A past day: some of its lines are dispensed already and must not be stored again.
        const QString dayText = db::DayText(today.addDays(-1));
        try {
            SharedDatabase database(onServer);
            database.fill(today);
            const Snapshot before = snapshot(database);
            QList<QStringList> arguments;
            for (int i = 0; i < workers; ++i) {
                QStringList own = database.workerLocation();
                own << QStringLiteral("--day") << dayText << QStringLiteral("--seed")
                    << QString::number(i + 1) << QStringLiteral("--pause-ms")
                    << QStringLiteral("20") << QStringLiteral("--station") << stationName(i);
                if (readFirst)
                    own << QStringLiteral("--read-first");
                arguments << own;
            }
            DispenseWorkers stations(arguments, waitMs);
            stations.run(waitMs);
            QList<WorkerReport> reports;
            // Each stored line has one audit row, naming the station that stored it.
            QMap<QString, QStringList> stores;
            for (int i = 0; i < workers; ++i) {
                for (const WorkerReport& report : stations.reports(i)) {
                    if (report.outcome == u"stored")
                        stores[report.fields.mid(0, 3).join(u'\t')] << stationName(i);
                    reports << report;
                }
            }
            QCOMPARE(auditedStores(database), stores);
            checkOutcome(before, snapshot(database), reports, dayText, onServer, readFirst);
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

    // A station killed in the middle of a store, its line changed and its audit row on the way:
    // neither is there afterwards. On a server another session's lock on the audit table holds
    // the row's INSERT; a file's lock would hold the store before its transaction began, so there
    // a trigger on the audit table that never ends holds it.
    void killedInTheMiddleOfAStoreStoresNothing_data() {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("server") << true;
        QTest::newRow("file") << false;
    }

    void killedInTheMiddleOfAStoreStoresNothing() {
        QFETCH(bool, onServer);
        const QDate today(2009, 7, 7);
        try {
            SharedDatabase database(onServer);
            database.fill(today);
            const Snapshot before = snapshot(database);
            const auto holder = onServer
                                    ? database.connect()
                                    : connectToFile(database.filePath(),
                                                    db::DatabaseLocation::FileAccess::Existing);
            db::TADOConnection& hold = *holder;
            if (onServer) {
                dbtools::run(hold, QStringLiteral("BEGIN"));
                dbtools::run(
                    hold, QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(db::audit::Table));
            } else {
                // A trigger may not hold a WITH clause; a view may.
                dbtools::run(hold, QStringLiteral("CREATE VIEW endless AS WITH RECURSIVE n(i) AS "
                                                  "(SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                                                  "SELECT i FROM n"));
                dbtools::run(hold, QStringLiteral("CREATE TRIGGER hold BEFORE INSERT ON %1 "
                                                  "BEGIN SELECT COUNT(*) FROM endless; END")
                                       .arg(db::audit::Table));
            }
            QStringList own = database.workerLocation();
            own << QStringLiteral("--day") << db::DayText(today) << QStringLiteral("--step")
                << QStringLiteral("--station") << stationName(0);
            // The server's lock time-out follows the bound.
            if (onServer)
                own << QStringLiteral("--statement-timeout") << QStringLiteral("600");
            DispenseWorkers station({own}, waitMs);
            station.release(0);
            // The server's backend waits for the lock; the file's journal holds the pages the
            // line's UPDATE changed.
            const auto held = [&] {
                return onServer ? scalar(hold,
                                         QStringLiteral("SELECT COUNT(*) FROM pg_locks l JOIN "
                                                        "pg_database d ON d.oid = l.database WHERE "
                                                        "NOT l.granted AND d.datname = "
                                                        "current_database()")) == 1
                                : QFile::exists(database.filePath() + QStringLiteral("-journal"));
            };
            QTRY_VERIFY_WITH_TIMEOUT(held(), waitMs);
            station.kill(0, waitMs);
            if (onServer) {
                dbtools::run(hold, QStringLiteral("ROLLBACK"));
                // Its backend finds the station gone once it has the lock, and ends.
                QTRY_COMPARE_WITH_TIMEOUT(
                    scalar(hold, QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                                "datname = current_database() AND "
                                                "pid <> pg_backend_pid()")),
                    0, waitMs);
            }
            QVERIFY(snapshot(database) == before);
            QCOMPARE(auditedStores(database), (QMap<QString, QStringList>()));
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

private:
    static int scalar(db::TADOConnection& connection, const QString& statement) {
        return dbtools::single(connection, statement).toInt();
    }

    void checkOutcome(const Snapshot& before, const Snapshot& after,
                      const QList<WorkerReport>& reports, const QString& dayText, bool onServer,
                      bool readFirst) {
        const dbtools::Table& linesTable = dbtools::prescriptionTables()[dbtools::Lines];
        const auto day = linesTable.columnNames().indexOf(QStringLiteral("配藥日期"));
        const auto state = linesTable.columnNames().indexOf(QStringLiteral("配藥情況"));
        QSet<QString> toDispense;
        int dispensedBefore = 0;
        for (auto line = before[linesTable.name].cbegin(); line != before[linesTable.name].cend();
             ++line) {
            if (line.value()[day].toString() != dayText)
                continue;
            if (line.value()[state].toString() == dispensed)
                ++dispensedBefore;
            else
                toDispense.insert(line.key());
        }
        QVERIFY2(toDispense.size() >= 10 && dispensedBefore > 0, "the demo day holds too little");

        QHash<QString, QList<WorkerReport>> byLine;
        QSet<QString> unreadOrders;
        int conflicts = 0;
        for (const WorkerReport& report : reports) {
            QVERIFY2(report.fields.size() >= 3, qPrintable(report.outcome));
            if (report.outcome == u"unread") {
                QVERIFY2(!onServer, qPrintable(report.fields.join(u' ')));
                unreadOrders.insert(report.fields.mid(0, 2).join(u'\t'));
                continue;
            }
            const QString line = report.fields.mid(0, 3).join(u'\t');
            QVERIFY2(toDispense.contains(line),
                     qPrintable(QStringLiteral("stored without being due: ") + line));
            byLine[line] << report;
            conflicts += report.outcome == u"conflict";
        }
        qInfo("%lld lines to dispense, %d conflicts reported",
              static_cast<long long>(toDispense.size()), conflicts);

        Snapshot expected = before;
        for (const QString& line : toDispense) {
            int storedBy = 0;
            bool failed = unreadOrders.contains(line.section(u'\t', 0, 1));
            for (const WorkerReport& report : byLine[line]) {
                storedBy += report.outcome == u"stored";
                failed = failed || report.outcome == u"error";
                const bool allowed = report.outcome == u"stored" || report.outcome == u"conflict" ||
                                     (!onServer && report.outcome == u"error");
                QVERIFY2(allowed, qPrintable(report.outcome + u' ' + report.fields.join(u' ')));
            }
            const bool stored = after[linesTable.name].value(line).value(state) == dispensed;
            QVERIFY2(storedBy <= 1, qPrintable(QStringLiteral("stored twice: ") + line));
            QVERIFY2(
                stored == (storedBy == 1),
                qPrintable((stored ? QStringLiteral("stored silently: ")
                                   : QStringLiteral("reported stored, not in the database: ")) +
                           line));
            QVERIFY2(stored || failed, qPrintable(QStringLiteral("left undispensed: ") + line));
            // Every worker had read every line before any store: the others must all conflict.
            if (readFirst && !failed)
                QCOMPARE(byLine[line].size(), workers);
            if (stored)
                expected[linesTable.name][line][state] = dispensed;
        }

        QCOMPARE(after.keys(), expected.keys());
        for (auto table = expected.cbegin(); table != expected.cend(); ++table) {
            QCOMPARE(after[table.key()].size(), table.value().size());
            for (auto row = table.value().cbegin(); row != table.value().cend(); ++row)
                QVERIFY2(after[table.key()].value(row.key()) == row.value(),
                         qPrintable(table.key() + QStringLiteral(" changed: ") + row.key()));
        }
    }
};

QTEST_GUILESS_MAIN(TestConcurrentStations)

#include "test_concurrentstations.moc"
