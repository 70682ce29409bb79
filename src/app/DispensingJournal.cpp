#include "DispensingJournal.h"

#include <QDateTime>
#include <QDebug>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    return text;
}

bool appendAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

bool DispensingJournal::record(const QString& event, const QStringList& fields) {
    QStringList parts{QDateTime::currentDateTime().toString(Qt::ISODate), oneLine(event)};
    for (const QString& field : fields)
        parts << oneLine(field);
    // One write of the whole line on an append descriptor: lines of two stations' processes
    // sharing a folder never interleave.
    const QByteArray line = parts.join(u'\t').toUtf8() + '\n';
    const int fd =
        ::open(path_.toLocal8Bit().constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    bool written = fd >= 0 && appendAll(fd, line);
    if (fd >= 0 && ::close(fd) != 0)
        written = false;
    if (!written && !warned_) {
        warned_ = true;
        qWarning().noquote() << "The dispensing journal" << path_ << "cannot be written";
    }
    return written;
}
