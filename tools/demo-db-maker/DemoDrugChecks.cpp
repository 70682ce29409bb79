#include "DemoDrugChecks.h"

#include "DemoUnitWeight.h"

namespace demodb {

namespace {

QDate endOfMonth(const QDate& day) {
    return {day.year(), day.month(), day.daysInMonth()};
}

} // namespace

DrugChecks demoDrugChecks(const QString& drugName, int index, const QDate& today) {
    DrugChecks checks;
    checks.unitWeight = demoUnitWeight(drugName);
    if (index % 6 == 3)
        checks.tolerance = 3;
    else if (index % 6 == 5)
        checks.tolerance = 8;
    const bool expired = index % 5 == 2;
    checks.expiry = endOfMonth(today.addMonths(expired ? -1 - index % 3 : 11 + index % 6));
    return checks;
}

} // namespace demodb
