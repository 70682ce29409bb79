#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace db {
struct ResultSet;
}

// What a drug's row says for the checks beyond the right container. Each column is optional in
// the database: a missing column or an empty value checks nothing.
struct DrugChecks {
    // 單位重量: grams per unit of a line's 數量.
    std::optional<double> unitGrams;
    // 容許誤差: the drug's own tolerance in percent.
    std::optional<double> tolerancePercent;
    // 有效期限: the last day the container may be used.
    std::optional<QDate> expiry;

    // From the first row of the drug's result (all its columns). A value that is there but
    // cannot be what its column means (a unit weight of no grams, a date that is no date) raises
    // platform::AppError: a check must not pass on a value it cannot read.
    static DrugChecks of(const db::ResultSet& drug, const QString& drugName);
};
