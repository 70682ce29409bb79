#pragma once

#include "Connection.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

// What the tests of the database tools share: running a tool of the bin folder, a database of
// their own on the test server, and the rows of a table in a form both engines give alike.

struct ToolRun {
    int exitCode = -1; // -1: it did not end by itself
    QString output;
    QString errors;
};

ToolRun runTool(const QString& name, const QStringList& arguments,
                const QString& workingFolder = QString());

// A database of its own on the test server (DSP_POSTGRES_CONNINFO_FILE), dropped with the
// object; empty connectionText() when there is no server.
class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& connectionText() const { return connection; }
    std::unique_ptr<dbtools::Connection> connect() const {
        return dbtools::Connection::server(connection);
    }

private:
    QString server;
    QString name;
    QString connection;
};

// Every row of each of the four tables, sorted, each row's values joined by '|'; NULL as <NULL>
// and 性別 as yes or no, so that a file and a server holding the same rows give the same lists.
QList<QStringList> prescriptionRows(const QSqlDatabase& database);
