#pragma once

#include "StationIdentity.h"
#include "TADOConnection.h"

#include <QDateTime>
#include <QString>
#include <optional>

// One event of the audit trail as the station knows it; blank fields are written as such.
struct AuditEntry {
    QString event;
    // The line as the lines' statement read it; the item becomes a whole number, NULL when it is
    // none.
    QString day;
    QString sequence;
    QString item;
    QString drug;
    QString serial;
    QString weightShown;
    // Only when the line was weighed.
    std::optional<double> expectedGrams;
    QString details;
};

// The free text is cut to this many characters: it may carry an engine's error of any length.
inline constexpr qsizetype maxAuditDetails = 1000;

// The row of the audit table for the entry, written by `who` at `at`.
db::RowInsert auditRow(const AuditEntry& entry, const StationIdentity& who, const QDateTime& at);
