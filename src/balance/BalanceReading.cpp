#include "BalanceReading.h"

#include <string_view>

namespace balance {
namespace {

struct MassUnit {
    std::string_view name;
    double grams;
};

constexpr MassUnit kMassUnits[] = {{"g", 1.0}, {"mg", 0.001}, {"kg", 1000.0}, {"ct", 0.2}};

} // namespace

std::optional<double> BalanceReading::grams() const {
    if (state != ReadingState::Stable && state != ReadingState::Unstable) {
        return std::nullopt;
    }
    for (const MassUnit& mass : kMassUnits) {
        if (unit == mass.name) {
            return static_cast<double>(tenThousandths) * mass.grams / 10000.0;
        }
    }
    return std::nullopt;
}

} // namespace balance
