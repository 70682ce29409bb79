#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private PC/SC daemon of scripts/rig/pcsc-rig.sh with one virtual reader, for a test or a
// benchmark; start() points this process's PC/SC client library at it. The daemon ends with this
// object, and also when the process dies without running destructors: a watchdog outside it
// ends the daemon once the process is gone.
class PcscDaemon {
public:
    PcscDaemon() = default;
    ~PcscDaemon();
    PcscDaemon(const PcscDaemon&) = delete;
    PcscDaemon& operator=(const PcscDaemon&) = delete;

    // False with error set when the daemon did not come up as it should.
    bool start(QString& error);
    // Stops the daemon as if the service ended; false when the rig failed.
    bool stop();
    // Starts the stopped (or running) daemon again on the same socket and port: its reader comes
    // back under the same name; false when the rig failed.
    bool restart();

    // The TCP port on which the virtual reader waits for its card.
    const QString& cardPort() const { return cardPort_; }

private:
    bool rig(const QString& command);
    bool startWatchdog(QString& error);

    QTemporaryDir folder_;
    QString state_;
    QString cardPort_;
    QProcess watchdog_;
};
