#pragma once

#include <QRandomGenerator>
#include <QString>
#include <optional>

namespace demodb {

// A Chinese full name: a common surname and a two-character given name that suits the sex
// (a neutral one when the sex is unknown).
QString makePatientName(QRandomGenerator& random, std::optional<bool> male);

} // namespace demodb
