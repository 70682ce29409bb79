#pragma once

#include <QString>
#include <QStringList>

namespace db {

// The lines of the statement listing the pick-up orders whose 配藥日期 reads dayText.
QStringList orderListStatement(const QString& dayText);

// The lines of the statement loading the drug lines of the order sequenceText of dayText, with
// the patient and each drug's SerialNumber. dayText is trimmed of blanks and control characters.
QStringList orderLinesStatement(const QString& sequenceText, const QString& dayText);

// The statement reading a drug's whole row: whatever columns the database has beside the
// station's own.
QString drugStatement(const QString& drugName);

// A value between double quotes, a quote inside it doubled so it cannot end the text early.
QString quotedValue(const QString& value);

} // namespace db
