// Several stations dispensing the same orders at once, as dispense-worker processes on one
// database: each line is stored by exactly one of them, the others are told it changed, and
// nothing else in the database moves.
#include "Connection.h"
#include "DayText.h"
#include "DemoDatabaseMaker.h"
#include "DispenseWorkers.h"
#include "PrescriptionTables.h"
#include "ScratchServerDatabase.h"
#include "SqlRun.h"

#include <QHash>
#include <QMap>
#include <QSqlError>
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
    std::unique_ptr<dbtools::Connection> connect() const {
        return onServer() ? server_->connect() : dbtools::Connection::file(filePath(), true);
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
        if (!query.exec(QStringLiteral("SELECT %1 FROM %2")
                            .arg(table.columnNames().join(QStringLiteral(", ")), table.name)))
            dbtools::fail(table.name, query.lastError());
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
                    << QStringLiteral("20");
                if (readFirst)
                    own << QStringLiteral("--read-first");
                arguments << own;
            }
            DispenseWorkers stations(arguments, waitMs);
            stations.run(waitMs);
            QList<WorkerReport> reports;
            for (int i = 0; i < workers; ++i)
                reports << stations.reports(i);
            checkOutcome(before, snapshot(database), reports, dayText, onServer, readFirst);
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
    }

private:
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
