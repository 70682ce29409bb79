#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// The reader emulator program, started in a folder of its own where it links
// dosdevices/com1, and the control socket it serves there. For tests and benchmarks.
class ReaderEmulatorProcess {
public:
    static constexpr int kWaitMs = 10000;

    ReaderEmulatorProcess() = default;
    ~ReaderEmulatorProcess() { stop(); }
    ReaderEmulatorProcess(const ReaderEmulatorProcess&) = delete;
    ReaderEmulatorProcess& operator=(const ReaderEmulatorProcess&) = delete;

    // Starts program with its control socket and link in directory and the extra arguments,
    // and waits until it serves. False with error set when it does not.
    bool start(const QString& program, const QString& directory, const QStringList& arguments,
               QString& error) {
        QDir(directory).mkpath("dosdevices");
        const QString socketPath = directory + "/control.sock";
        process_.setWorkingDirectory(directory);
        process_.setProgram(program);
        process_.setArguments(QStringList{"--dir", directory, "--control", socketPath} + arguments);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (!process_.waitForStarted(kWaitMs)) {
            error = "cannot start " + program + ": " + process_.errorString();
            return false;
        }
        if (!awaitReadyLine()) {
            error = "no ready line from " + program;
            return false;
        }
        return connectControl(socketPath, error);
    }

    void stop() {
        if (control_ >= 0) {
            ::close(control_);
            control_ = -1;
        }
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(kWaitMs)) {
                process_.kill();
                process_.waitForFinished(kWaitMs);
            }
        }
    }

    // Sends one control line and gives the answer's lines, ending with "ok" or "error: ...";
    // empty when no answer comes.
    QStringList control(const QString& line) {
        const QByteArray request = line.toUtf8() + '\n';
        if (control_ < 0 ||
            ::send(control_, request.constData(), static_cast<size_t>(request.size()),
                   MSG_NOSIGNAL) != request.size()) {
            return {};
        }
        QStringList lines;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kWaitMs) {
            const qsizetype end = pending_.indexOf('\n');
            if (end >= 0) {
                lines << QString::fromUtf8(pending_.left(end));
                pending_.remove(0, end + 1);
                if (lines.last() == "ok" || lines.last().startsWith("error: ")) {
                    return lines;
                }
                continue;
            }
            pollfd entry{control_, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t received = ::recv(control_, chunk, sizeof chunk, 0);
            if (received <= 0) {
                return {};
            }
            pending_.append(chunk, static_cast<qsizetype>(received));
        }
        return {};
    }

    // True when the emulator took the control line.
    bool command(const QString& line) {
        const QStringList answer = control(line);
        return !answer.isEmpty() && answer.last() == "ok";
    }

    const QString& slavePath() const { return slavePath_; }

private:
    bool awaitReadyLine() {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kWaitMs && process_.state() == QProcess::Running) {
            if (!process_.canReadLine()) {
                process_.waitForReadyRead(100);
                continue;
            }
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith("ready ")) {
                slavePath_ = line.mid(6);
                return true;
            }
        }
        return false;
    }

    bool connectControl(const QString& socketPath, QString& error) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) {
            error = "control socket path too long: " + socketPath;
            return false;
        }
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        control_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (control_ < 0 ||
            ::connect(control_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            error =
                "cannot connect to " + socketPath + ": " + QString::fromUtf8(std::strerror(errno));
            return false;
        }
        return true;
    }

    QProcess process_;
    QString slavePath_;
    int control_ = -1;
    QByteArray pending_;
};
