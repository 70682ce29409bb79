#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A temporary folder with a dosdevices/ of its own, the working folder from enter() to the end
// of its life, when the folder it replaced is the working folder again. The port library finds
// COM1..COM4 there.
class ScratchWorkingFolder {
public:
    ScratchWorkingFolder() = default;
    // The working folder goes back before the temporary one is removed.
    ~ScratchWorkingFolder() { QDir::setCurrent(previous_); }
    ScratchWorkingFolder(const ScratchWorkingFolder&) = delete;
    ScratchWorkingFolder& operator=(const ScratchWorkingFolder&) = delete;

    // False when the folder cannot be made or entered.
    bool enter() {
        return folder_.isValid() && QDir::setCurrent(folder_.path()) && QDir().mkpath("dosdevices");
    }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

private:
    QString previous_ = QDir::currentPath();
    QTemporaryDir folder_;
};

// Points COM port number of the working folder (dosdevices/comN) at target, in place of the
// link there; false when the link cannot be made.
inline bool linkComPort(int number, const QString& target) {
    const QString link = QStringLiteral("dosdevices/com%1").arg(number);
    QFile::remove(link);
    return QFile::link(target, link);
}
