#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away PostgreSQL cluster of scripts/rig/postgres-rig.sh on a socket of its own, for a
// test or benchmark that must not disturb the shared test server; destroyed with this object.
// Failures throw std::runtime_error.
class PostgresCluster {
public:
    // With a port, it listens on TCP 127.0.0.1:port too, and connectionText() names that.
    explicit PostgresCluster(int tcpPort = 0);
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // Stops the server and keeps its data for resume().
    void stop();
    void resume();
    // Stops the server's processes in their tracks (SIGSTOP) and lets them run on.
    void pause();
    void unpause();

    const QString& connectionText() const { return connection_; }
    // The file holding connectionText(), as STATION_POSTGRES_CONNINFO_FILE names it.
    QString connectionFile() const { return state_ + QStringLiteral(".conninfo"); }

private:
    void rig(const QString& command, const QStringList& more = {});

    QTemporaryDir folder_;
    QString state_;
    QString connection_;
};
