#include "ScratchServerDatabase.h"

#include "SqlRun.h"

#include <QFile>
#include <QUuid>
#include <stdexcept>

namespace {

void runOn(const QString& server, const QString& statement) {
    dbtools::run(*connectToServer(server), statement);
}

} // namespace

QString testServerText() {
    QFile file(qEnvironmentVariable("STATION_POSTGRES_CONNINFO_FILE"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

ScratchServerDatabase::ScratchServerDatabase() : ScratchServerDatabase(testServerText()) {}

ScratchServerDatabase::ScratchServerDatabase(const QString& server)
    : server_(server), name_(QStringLiteral("station_scratch_") +
                             QUuid::createUuid().toString(QUuid::Id128).left(12)) {
    // An empty text would reach whatever server the machine runs by default.
    if (server_.isEmpty())
        throw std::runtime_error(
            "no test server: STATION_POSTGRES_CONNINFO_FILE (set by ctest) names no readable file");
    runOn(server_, QStringLiteral("CREATE DATABASE ") + name_);
    // The last of a key given twice counts.
    connection_ = server_ + QStringLiteral(" dbname=") + name_;
}

ScratchServerDatabase::~ScratchServerDatabase() {
    try {
        runOn(server_, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name_));
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
}
