#pragma once

#include "AuditEntry.h"
#include "AuditWriter.h"
#include "DispensingJournal.h"
#include "StationIdentity.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <string>

class DispensingCheck;
class QWidget;

// What the station records beyond the dispensing check's own events: an order opened or stopped,
// a device gone and back, each a journal line and an audit row. It owns the journal, who the
// rows name and the audit writer, and lends them to the check. A failed audit write is shown
// beside `window` without holding dispensing up.
class StationEvents : public QObject {
    Q_OBJECT

public:
    StationEvents(const db::DatabaseLocation& location, const std::string& iniPath,
                  QWidget& window);

    void lendTo(DispensingCheck& check);
    void orderOpened(const QString& day, const QString& sequence, int lines);
    void orderStopped(const QString& day, const QString& sequence);
    // A device's port failed (away) or works again; `device` names it.
    void deviceAway(bool away, const QString& device);

private:
    void record(const AuditEntry& entry, const QStringList& journalFields);
    void showAuditFailure(const QString& error);

    QWidget& window_;
    DispensingJournal journal_;
    StationIdentity identity_;
    AuditWriter auditWriter_;
};
