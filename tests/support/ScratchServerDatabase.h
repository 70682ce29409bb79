#pragma once

#include "DatabaseConnections.h"

#include <QString>
#include <memory>

// The shared test server's connection text, from the file named by STATION_POSTGRES_CONNINFO_FILE
// (ctest sets it); empty when there is none.
QString testServerText();

// An empty database of its own under a unique name on a server, dropped with this object even
// while connections to it are still open. Failures throw std::runtime_error, those of the server
// platform::AppError.
class ScratchServerDatabase {
public:
    // On the shared test server.
    ScratchServerDatabase();
    explicit ScratchServerDatabase(const QString& server);
    ~ScratchServerDatabase();
    ScratchServerDatabase(const ScratchServerDatabase&) = delete;
    ScratchServerDatabase& operator=(const ScratchServerDatabase&) = delete;

    const QString& connectionText() const { return connection_; }
    std::unique_ptr<db::TADOConnection> connect() const { return connectToServer(connection_); }

private:
    QString server_;
    QString name_;
    QString connection_;
};
