#pragma once

#include "AuditTrail.h"

#include <QString>
#include <QStringList>
#include <utility>

// The station's own record of what it did while dispensing, one line per event, appended to a
// text file in the working directory. A line is written only after the event has happened (a
// "配藥完成" line after the database took the store), and each line reaches the file before the
// call returns, so the record survives a killed station.
class DispensingJournal {
public:
    static QString defaultFileName() { return QStringLiteral("配藥紀錄.txt"); }

    explicit DispensingJournal(QString path) : path_(std::move(path)) {}

    // Appends "time<TAB>event<TAB>field..." and a line end. Tabs and line ends inside the
    // fields come from database rows and become blanks, so every event stays on one line.
    // Returns false when the file could not be written.
    bool record(const QString& event, const QStringList& fields);

    const QString& path() const { return path_; }

private:
    QString path_;
    bool warned_ = false;
};
