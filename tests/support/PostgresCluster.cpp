#include "PostgresCluster.h"

#include <QFile>
#include <QProcess>
#include <cstdio>
#include <stdexcept>

PostgresCluster::PostgresCluster(int tcpPort) {
    if (!folder_.isValid())
        throw std::runtime_error("no temporary folder for the server's state");
    state_ = folder_.filePath(QStringLiteral("postgres"));
    rig(QStringLiteral("start"),
        tcpPort > 0 ? QStringList{QString::number(tcpPort)} : QStringList{});
    QFile file(connectionFile());
    if (!file.open(QIODevice::ReadOnly)) {
        rig(QStringLiteral("destroy"));
        throw std::runtime_error("the server rig left no connection text");
    }
    connection_ = QString::fromUtf8(file.read(4096)).trimmed();
}

PostgresCluster::~PostgresCluster() {
    try {
        rig(QStringLiteral("destroy"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
}

void PostgresCluster::stop() {
    rig(QStringLiteral("stop"));
}

void PostgresCluster::resume() {
    rig(QStringLiteral("resume"));
}

void PostgresCluster::pause() {
    rig(QStringLiteral("pause"));
}

void PostgresCluster::unpause() {
    rig(QStringLiteral("continue"));
}

void PostgresCluster::rig(const QString& command, const QStringList& more) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("bash"),
                  QStringList{QStringLiteral(STATION_POSTGRES_RIG_SCRIPT), command, state_} + more);
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error(
            QStringLiteral("postgres-rig.sh %1 failed").arg(command).toStdString());
}
