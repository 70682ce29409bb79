#include "StationEvents.h"

#include "DispensingCheck.h"

#include <QDateTime>
#include <QMessageBox>
#include <QWidget>

StationEvents::StationEvents(const db::DatabaseLocation& location, const std::string& iniPath,
                             QWidget& window)
    : window_(window), journal_(DispensingJournal::defaultFileName()),
      identity_(StationIdentity::read(iniPath)),
      auditWriter_(location, [this](const QString& error) {
          QMetaObject::invokeMethod(
              this, [this, error] { showAuditFailure(error); }, Qt::QueuedConnection);
      }) {}

void StationEvents::lendTo(DispensingCheck& check) {
    check.setJournal(&journal_);
    check.setAudit(identity_, &auditWriter_);
}

void StationEvents::orderOpened(const QString& day, const QString& sequence, int lines) {
    AuditEntry opened;
    opened.event = journal_event::orderOpened();
    opened.day = day;
    opened.sequence = sequence;
    opened.details = QString::number(lines);
    record(opened, {opened.day, opened.sequence, opened.details});
}

void StationEvents::orderStopped(const QString& day, const QString& sequence) {
    AuditEntry stopped;
    stopped.event = journal_event::orderStopped();
    stopped.day = day;
    stopped.sequence = sequence;
    record(stopped, {stopped.day, stopped.sequence});
}

void StationEvents::deviceAway(bool away, const QString& device) {
    AuditEntry entry;
    entry.event = away ? journal_event::deviceLost() : journal_event::deviceBack();
    entry.details = device;
    record(entry, {device});
}

void StationEvents::record(const AuditEntry& entry, const QStringList& journalFields) {
    journal_.record(entry.event, journalFields);
    auditWriter_.post(auditRow(entry, identity_, QDateTime::currentDateTime()));
}

// Non-modal: a failed audit write must not hold up dispensing.
void StationEvents::showAuditFailure(const QString& error) {
    auto* box = new QMessageBox(QMessageBox::Warning, window_.windowTitle(),
                                tr("The audit trail cannot be written to the database: "
                                   "%1\nDispensing goes on; the journal file keeps every event.")
                                    .arg(error),
                                QMessageBox::Ok, &window_);
    box->setObjectName(QStringLiteral("AuditFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
