#include "DispenseWorkers.h"

#include <QCoreApplication>
#include <QFile>
#include <stdexcept>

namespace {

QString workerProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/dispense-worker");
}

} // namespace

DispenseWorkers::DispenseWorkers(const QList<QStringList>& arguments, int timeoutMs) {
    if (!outputs_.isValid())
        throw std::runtime_error("no temporary folder for the workers' reports");
    for (const QStringList& own : arguments) {
        auto& process = processes_.emplace_back(std::make_unique<QProcess>());
        process->start(workerProgram(),
                       own + QStringList{QStringLiteral("--gate"), QStringLiteral("--output"),
                                         outputs_.filePath(QString::number(processes_.size()))});
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (qsizetype i = 0; i < size(); ++i) {
        if (!waitAtGate(i, deadline))
            fail(i, QStringLiteral("never reached its gate"));
    }
}

DispenseWorkers::~DispenseWorkers() {
    for (auto& process : processes_) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(10000);
        }
    }
}

void DispenseWorkers::run(int timeoutMs) {
    for (auto& process : processes_)
        process->write("go\n");
    // QProcess writes only from its waits: released one by one, they would run one by one.
    const QDeadlineTimer deadline(timeoutMs);
    for (qsizetype i = 0; i < size(); ++i) {
        if (!processes_[i]->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            fail(i, QStringLiteral("could not be released"));
    }
    for (qsizetype i = 0; i < size(); ++i)
        waitUntilEnded(i, deadline);
}

bool DispenseWorkers::step(qsizetype worker, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    release(worker);
    if (waitAtGate(worker, deadline))
        return true;
    waitUntilEnded(worker, deadline);
    return false;
}

void DispenseWorkers::release(qsizetype worker) {
    QProcess& process = *processes_[worker];
    process.write("go\n");
    if (!process.waitForBytesWritten(10000))
        fail(worker, QStringLiteral("could not be released"));
}

void DispenseWorkers::kill(qsizetype worker, int timeoutMs) {
    QProcess& process = *processes_[worker];
    process.kill();
    if (!process.waitForFinished(timeoutMs))
        fail(worker, QStringLiteral("outlived SIGKILL"));
}

bool DispenseWorkers::waitAtGate(qsizetype worker, const QDeadlineTimer& deadline) {
    QProcess& process = *processes_[worker];
    while (!process.canReadLine() && process.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        process.waitForReadyRead(100);
    if (!process.canReadLine())
        return false;
    if (process.readLine() != "ready\n")
        fail(worker, QStringLiteral("printed something else than \"ready\""));
    return true;
}

void DispenseWorkers::waitUntilEnded(qsizetype worker, const QDeadlineTimer& deadline) {
    QProcess& process = *processes_[worker];
    if (process.state() != QProcess::NotRunning &&
        !process.waitForFinished(static_cast<int>(deadline.remainingTime())))
        fail(worker, QStringLiteral("did not end in time"));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(worker, QStringLiteral("ended badly"));
}

QList<WorkerReport> DispenseWorkers::reports(qsizetype worker) const {
    QFile file(outputs_.filePath(QString::number(worker + 1)));
    if (!file.open(QIODevice::ReadOnly))
        fail(worker, file.errorString());
    QList<WorkerReport> reports;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList fields = QString::fromUtf8(line).split(u'\t');
        const QString outcome = fields.takeFirst();
        reports << WorkerReport{outcome, fields};
    }
    return reports;
}

void DispenseWorkers::fail(qsizetype worker, const QString& what) const {
    QProcess& process = *processes_[worker];
    throw std::runtime_error(QStringLiteral("dispense worker %1 %2: %3")
                                 .arg(worker + 1)
                                 .arg(what, QString::fromLocal8Bit(process.readAllStandardError()))
                                 .toStdString());
}
