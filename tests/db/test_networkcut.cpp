// A network cut between a station and its server: the test, its throw-away server on TCP
// 127.0.0.1 and its dispense-worker run in a network namespace of the test's own, whose loopback
// is taken down (the connections' packets go nowhere: no answer, no reset) and up again.
// Needs root (CAP_SYS_ADMIN) for the namespace and iproute2's ip; skipped without the namespace.
#include "PostgresCluster.h"
#include "TestDatabase.h"
#include "TestDatabaseStall.h"

#include <QProcess>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sched.h>

namespace {

// Nothing else listens in the test's own namespace.
constexpr int port = 5432;

bool setLoopback(const char* state) {
    const QStringList arguments{QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                                QString::fromLatin1(state)};
    return QProcess::execute(QStringLiteral("ip"), arguments) == 0;
}

} // namespace

class TestNetworkCut : public QObject {
    Q_OBJECT

    std::optional<PostgresCluster> cluster_;

private slots:
    void initTestCase() {
        // Only this thread moves into the new namespace: it makes every connection and starts
        // every process (which inherit the namespace); the connection's watchdog thread only
        // shuts a socket it is given, which works from any namespace.
        if (unshare(CLONE_NEWNET) != 0)
            QSKIP(qPrintable(QStringLiteral("no network namespace of the test's own (needs root "
                                            "or CAP_SYS_ADMIN): %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        QVERIFY2(setLoopback("up"),
                 "ip link set lo up failed (scripts/setup.sh installs iproute2)");
        cluster_.emplace(port);
        QVERIFY(cluster_->connectionText().startsWith(QStringLiteral("host=127.0.0.1 ")));
        qputenv("STATION_TEST_ENGINE", "postgres");
        qputenv("STATION_POSTGRES_CONNINFO_FILE", cluster_->connectionFile().toUtf8());
    }

    void cleanupTestCase() { cluster_.reset(); }

    void storeFailsWithinTheBoundWhileTheNetworkIsCut() {
        TestDatabase database;
        database.addSampleOrder();
        stall::storeFailsWithinTheBound(
            database, [] { QVERIFY(setLoopback("down")); }, [] { QVERIFY(setLoopback("up")); });
    }

    void workerReportsTheCut() {
        TestDatabase database;
        database.addSampleOrder();
        stall::workerReportsTheStall(
            database, [] { QVERIFY(setLoopback("down")); }, [] { QVERIFY(setLoopback("up")); });
    }
};

QTEST_GUILESS_MAIN(TestNetworkCut)
#include "test_networkcut.moc"
