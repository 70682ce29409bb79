#pragma once

#include <QString>
#include <optional>

namespace demodb {

// The weight in grams of one unit (a tablet, a capsule) of a demo drug, made up from its name: the
// form (錠 or tablet, 膠囊 or capsule) and the strength (such as 500mg), nudged a little by the
// name so that drugs of one strength differ. nullopt for a name that names neither form. Tablets
// weigh 0.1 to 0.8 g, capsules 0.2 to 0.7 g, to the milligram; the same name always weighs the
// same.
std::optional<double> demoUnitWeight(const QString& drugName);

} // namespace demodb
