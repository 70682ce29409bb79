#include "DrugChecks.h"

#include "AppError.h"
#include "PrescriptionFields.h"
#include "TADOConnection.h"

#include <QCoreApplication>
#include <cmath>

namespace {

std::optional<QVariant> valueOf(const db::ResultSet& drug, const QString& field) {
    if (drug.rows.isEmpty())
        return std::nullopt;
    for (qsizetype column = 0; column < drug.columns.size(); ++column) {
        if (drug.columns[column].name.compare(field, Qt::CaseInsensitive) == 0) {
            const QVariant& value = drug.rows.first().value(column);
            if (value.isNull() || value.toString().trimmed().isEmpty())
                return std::nullopt;
            return value;
        }
    }
    return std::nullopt;
}

[[noreturn]] void refuse(const QString& drugName, const QString& field, const QVariant& value) {
    throw platform::AppError(
        QCoreApplication::translate("DrugChecks", "%1 of %2 is not usable: \"%3\"")
            .arg(field, drugName, value.toString().left(40)));
}

std::optional<double> positiveNumber(const db::ResultSet& drug, const QString& drugName,
                                     const QString& field, double limit) {
    const std::optional<QVariant> value = valueOf(drug, field);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const double number = value->toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0 || number > limit)
        refuse(drugName, field, *value);
    return number;
}

} // namespace

DrugChecks DrugChecks::of(const db::ResultSet& drug, const QString& drugName) {
    DrugChecks checks;
    // No unit weighs a kilogram: a larger figure is a typing error.
    checks.unitGrams = positiveNumber(drug, drugName, db::field::UnitWeight, 1000);
    if (checks.unitGrams && *checks.unitGrams <= 0)
        refuse(drugName, db::field::UnitWeight, *checks.unitGrams);
    checks.tolerancePercent = positiveNumber(drug, drugName, db::field::Tolerance, 100);
    if (const std::optional<QVariant> expiry = valueOf(drug, db::field::Expiry)) {
        const QDate day =
            expiry->typeId() == QMetaType::QDate
                ? expiry->toDate()
                : QDate::fromString(expiry->toString().trimmed().left(10), Qt::ISODate);
        if (!day.isValid())
            refuse(drugName, db::field::Expiry, *expiry);
        checks.expiry = day;
    }
    return checks;
}
