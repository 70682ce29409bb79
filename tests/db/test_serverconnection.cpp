// The connection to a PostgreSQL server that goes away, stalls or is held by another session's
// lock, and comes back, on a throw-away cluster of the test's own, so that stopping it disturbs
// no other test.
#include "AuditEntry.h"
#include "AuditTrail.h"
#include "AuditWriter.h"
#include "CommitAnswerLoss.h"
#include "DatabaseConnections.h"
#include "OrderStatements.h"
#include "PostgresCluster.h"
#include "ServerDatabase.h"
#include "SqlRun.h"
#include "TADOQuery.h"
#include "TestDatabase.h"
#include "TestDatabaseStall.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <atomic>
#include <optional>
#include <thread>

using namespace db;
using stall::dispensed;
using stall::states;
using stall::store;
using stall::today;

class TestServerConnection : public QObject {
    Q_OBJECT

    std::optional<PostgresCluster> cluster_;

private slots:
    void initTestCase() {
        cluster_.emplace();
        qputenv("STATION_TEST_ENGINE", "postgres");
        qputenv("STATION_POSTGRES_CONNINFO_FILE", cluster_->connectionFile().toUtf8());
    }

    void cleanupTestCase() { cluster_.reset(); }

    void serverGoneInTheMiddleOfAnOrder() {
        TestDatabase database;
        database.addSampleOrder();
        TADOConnection connection(database.location());
        TADOQuery query(connection);
        query.SQL = orderLinesStatement(QStringLiteral("1"), today);
        query.Open();
        query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
        store(query, 0);

        cluster_->stop();
        QVERIFY(!errorOf([&] { store(query, 1); }).isEmpty());
        QCOMPARE(query.State(), TADOQuery::DataSetState::Browse);
        QVERIFY2(query.FieldByName(QStringLiteral("配藥情況")).IsNull(), "not shown as stored");
        QVERIFY(!connection.Connected());
        QVERIFY2(!errorOf([&] { states(connection); }).isEmpty(), "the server is still away");

        cluster_->resume();
        QCOMPARE(states(connection), QStringList({dispensed, QString()}));
        store(query, 1);
        QCOMPARE(states(connection), QStringList({dispensed, dispensed}));
    }

    // A server that takes the connection and then never answers (its processes stopped), and a
    // row held by another session's transaction: the store fails once the bound has passed,
    // stores nothing, and the next store after the stall succeeds.
    void stalledServerOrHeldRowFailsWithinTheBound_data() {
        QTest::addColumn<bool>("paused");
        QTest::newRow("processes stopped") << true;
        QTest::newRow("row locked by another session") << false;
    }

    void stalledServerOrHeldRowFailsWithinTheBound() {
        QFETCH(bool, paused);
        TestDatabase database;
        database.addSampleOrder();
        if (paused) {
            stall::storeFailsWithinTheBound(
                database, [&] { cluster_->pause(); }, [&] { cluster_->unpause(); });
            return;
        }
        QSqlDatabase other =
            addServerDatabase(QStringLiteral("other"), database.location().target());
        QVERIFY(other.open());
        {
            QSqlQuery holder(other);
            stall::storeFailsWithinTheBound(
                database,
                [&] {
                    QVERIFY(other.transaction());
                    QVERIFY(holder.exec(QStringLiteral("SELECT * FROM 領藥明細 FOR UPDATE")));
                },
                [&] { QVERIFY(other.rollback()); });
        }
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    // The server makes the commit, but its answer is lost on the way: the store fails within the
    // bound, and the line and its audit row are both there, as the server committed them together.
    void commitsAnswerLost() {
        TestDatabase database;
        database.addSampleOrder();
        const QString folder = QRegularExpression(QStringLiteral("host=(\\S+)"))
                                   .match(cluster_->connectionText())
                                   .captured(1);
        CommitAnswerLoss proxy(folder + QStringLiteral("/.s.PGSQL.5432"));
        // The last of a key given twice counts.
        TADOConnection connection(DatabaseLocation::server(
            database.location().target() +
                QStringLiteral(" host=127.0.0.1 port=%1").arg(proxy.port()),
            stall::bound));
        TADOQuery query(connection);
        query.SQL = orderLinesStatement(QStringLiteral("1"), today);
        query.Open();
        query.FieldByName(QStringLiteral("配藥情況")).SetReadOnly(false);
        AuditEntry entry;
        entry.event = journal_event::lineStored();
        entry.item = QStringLiteral("1");
        const db::RowInsert row = auditRow(entry, StationIdentity::named(QStringLiteral("S1")),
                                           QDateTime::currentDateTime());
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(errorOf([&] { store(query, 0, {row}); }), stall::notAnswered);
        QVERIFY(waited.elapsed() < stall::generousLimitMs);
        QTRY_VERIFY2_WITH_TIMEOUT(proxy.dropped() > 0, "the server answered the commit",
                                  stall::generousLimitMs);
        QCOMPARE(database.lineState(today, QStringLiteral("1"), 1).toString(), dispensed);
        QCOMPARE(database.auditRows(dispensed), 1);
    }

    // The writer of the other audit rows on a server that does not answer: posting returns at
    // once and writes nothing on the posting thread, the failure is reported once while the
    // server is still stopped; then a row is written, and a later failure is reported again.
    void auditWriterIsNotHeldUpByAStalledServer() {
        TestDatabase database;
        const auto poster = std::this_thread::get_id();
        std::atomic<int> reports = 0;
        std::atomic<bool> reportedOnPoster = false;
        AuditWriter writer(DatabaseLocation::server(database.location().target(), stall::bound),
                           [&](const QString&) {
                               if (std::this_thread::get_id() == poster)
                                   reportedOnPoster = true;
                               ++reports;
                           });
        const auto post = [&](const QString& event) {
            AuditEntry entry;
            entry.event = event;
            writer.post(auditRow(entry, {}, QDateTime::currentDateTime()));
        };
        const auto pause = [&] { cluster_->pause(); };
        const auto unpause = [&] { cluster_->unpause(); };
        {
            stall::Stall stall(pause, unpause);
            for (int i = 0; i < 100; ++i)
                post(journal_event::wrongContainer());
            QTRY_COMPARE_WITH_TIMEOUT(reports.load(), 1, stall::generousLimitMs);
        }
        post(journal_event::orderCompleted());
        QTRY_COMPARE_WITH_TIMEOUT(database.auditRows(journal_event::orderCompleted()), 1,
                                  stall::generousLimitMs);
        QCOMPARE(reports.load(), 1);
        stall::Stall stall(pause, unpause);
        post(journal_event::orderStopped());
        QTRY_COMPARE_WITH_TIMEOUT(reports.load(), 2, stall::generousLimitMs);
        QVERIFY(!reportedOnPoster);
    }

    // The same for a dispense-worker, a station without a window, and for the tools' statements
    // (at their fixed bound).
    void workerAndToolsReportAStalledServer() {
        TestDatabase database;
        database.addSampleOrder();
        stall::workerReportsTheStall(
            database, [&] { cluster_->pause(); }, [&] { cluster_->unpause(); });

        const auto tool = connectToServer(database.location().target());
        stall::Stall stall([&] { cluster_->pause(); }, [&] { cluster_->unpause(); });
        QElapsedTimer waited;
        waited.start();
        try {
            dbtools::run(*tool, QStringLiteral("SELECT 1"));
            QFAIL("the statement ended without an answer");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     db::notAnsweredText(DatabaseLocation::defaultStatementTimeout));
        }
        QVERIFY(waited.elapsed() < stall::generousLimitMs);
    }

    void refusedOrUnreachableServerFailsEveryStatement_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("error");
        QTest::newRow("password") << "host=/tmp dbname=x password=secret"
                                  << "The database connection text must not hold a password: "
                                     "keep it in the password file (~/.pgpass) or the service "
                                     "file.";
        QTest::newRow("URI") << "postgresql://station@db1/pharmacy"
                             << "The database connection text must be written as key=value "
                                "pairs, not as a URI.";
        QTest::newRow("no server there") << "host=/nonexistent dbname=x"
                                         << "connection to server on socket "
                                            "\"/nonexistent/.s.PGSQL.5432\" failed";
        QTest::newRow("unknown service") << "no-such-service"
                                         << "definition of service \"no-such-service\" not found";
    }

    void refusedOrUnreachableServerFailsEveryStatement() {
        QFETCH(QString, connection);
        QFETCH(QString, error);
        TADOConnection server(DatabaseLocation::server(connection));
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QString text = errorOf([&] { server.fetch(QStringLiteral("SELECT 1")); });
            QVERIFY2(text.startsWith(error), qPrintable(text));
            QVERIFY(!server.Connected());
        }
    }
};

QTEST_GUILESS_MAIN(TestServerConnection)
#include "test_serverconnection.moc"
