#include "PcscDaemon.h"

#include <QFile>
#include <unistd.h>

namespace {

constexpr int kRigMs = 60000;
// STATE.env holds two short lines.
constexpr qint64 kEnvironmentBytes = 4096;

} // namespace

PcscDaemon::~PcscDaemon() {
    if (!state_.isEmpty())
        rig(QStringLiteral("destroy"));
    if (watchdog_.state() != QProcess::NotRunning) {
        watchdog_.closeWriteChannel();
        if (!watchdog_.waitForFinished(kRigMs))
            watchdog_.kill();
    }
}

bool PcscDaemon::start(QString& error) {
    if (!folder_.isValid()) {
        error = QStringLiteral("no temporary folder for the daemon's state");
        return false;
    }
    state_ = folder_.filePath(QStringLiteral("pcsc"));
    if (!startWatchdog(error))
        return false;
    if (!rig(QStringLiteral("start"))) {
        error = QStringLiteral("pcsc-rig.sh start failed (its message is above)");
        return false;
    }
    QFile environment(state_ + QStringLiteral(".env"));
    if (!environment.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the rig left no ") + environment.fileName();
        return false;
    }
    for (const QByteArray& line : environment.read(kEnvironmentBytes).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith("PCSCLITE_CSOCK_NAME="))
            qputenv("PCSCLITE_CSOCK_NAME", line.mid(equals + 1));
        else if (line.startsWith("STATION_VPCD_PORT="))
            cardPort_ = QString::fromLatin1(line.mid(equals + 1));
    }
    if (cardPort_.isEmpty() || qEnvironmentVariableIsEmpty("PCSCLITE_CSOCK_NAME")) {
        error = QStringLiteral("the rig's environment names no socket or port");
        return false;
    }
    return true;
}

bool PcscDaemon::stop() {
    return rig(QStringLiteral("stop"));
}

bool PcscDaemon::restart() {
    return rig(QStringLiteral("restart"));
}

bool PcscDaemon::rig(const QString& command) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("bash"),
                  {QStringLiteral(STATION_PCSC_RIG_SCRIPT), command, state_});
    return process.waitForFinished(kRigMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Waits in a session of its own (a Ctrl-C of the terminal does not reach it) for the end of its
// input, which comes when this process ends however it ends.
bool PcscDaemon::startWatchdog(QString& error) {
    watchdog_.setProcessChannelMode(QProcess::ForwardedChannels);
    watchdog_.setChildProcessModifier([] { ::setsid(); });
    watchdog_.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("cat >/dev/null; bash \"$0\" destroy \"$1\"; rm -rf -- \"$2\""),
                     QStringLiteral(STATION_PCSC_RIG_SCRIPT), state_, folder_.path()});
    if (!watchdog_.waitForStarted(kRigMs)) {
        error = QStringLiteral("cannot start the daemon's watchdog: ") + watchdog_.errorString();
        return false;
    }
    return true;
}
