#pragma once

#include "DemoDatabaseMaker.h"
#include "PostgresCluster.h"
#include "ScratchServerDatabase.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>

// What a demo database for a benchmark is made from: orders around today, the shipped catalogue.
demodb::MakerSettings demoSettings(const QString& path);

// The same demo database in a file of a temporary folder and on a PostgreSQL server of its own,
// analysed there so that the planner knows the new rows. Failures throw std::exception.
class DemoDatabases {
public:
    DemoDatabases(const QString& fileName, int orders, qint64 lines);

    const QString& filePath() const { return filePath_; }
    const ScratchServerDatabase& server() const { return server_; }
    const QDate& today() const { return today_; }

private:
    QTemporaryDir folder_;
    PostgresCluster cluster_;
    ScratchServerDatabase server_{cluster_.connectionText()};
    QString filePath_;
    QDate today_;
};
