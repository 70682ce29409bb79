#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace demodb {

// The values of a demo drug's optional columns, which the station's balance and expiry checks
// read.
struct DrugChecks {
    std::optional<double> unitWeight; // grams (demoUnitWeight)
    std::optional<double> tolerance;  // percent; unset: the station's default applies
    QDate expiry;
};

// The drug at `index` of the catalogue: the third and every fifth after it expired at the end of
// a month before `today`'s, the others expire at the end of a month about a year after it; two in
// six have a tolerance of their own.
DrugChecks demoDrugChecks(const QString& drugName, int index, const QDate& today);

} // namespace demodb
