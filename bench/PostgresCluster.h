#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away PostgreSQL cluster of scripts/rig/postgres-rig.sh for a benchmark, on a socket of
// its own; destroyed with this object. Failures throw std::runtime_error.
class PostgresCluster {
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // Makes an empty database and gives the connection text that reaches it.
    QString createDatabase(const QString& name);
    // Gathers the planner's statistics of the database the connection text reaches.
    void analyze(const QString& database) const;
    // The server's own words for its version, "PostgreSQL 15.3 on ...".
    QString version() const;

private:
    void rig(const QString& command);

    QTemporaryDir folder_;
    QString state_;
    QString connection_;
};
