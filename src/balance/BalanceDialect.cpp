#include "BalanceDialect.h"

#include "ReadingValue.h"

#include <algorithm>
#include <array>

namespace balance {
namespace {

constexpr std::array<const BalanceDialect*, 3> kDialects = {&kStationDialect, &kSicsDialect,
                                                            &kSbiDialect};

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

} // namespace

std::optional<WeightRequest> BalanceDialect::request(std::string_view requestName) const {
    const auto found = std::ranges::find_if(requests, [requestName](const WeightRequest& request) {
        return reading::sameIgnoringCase(request.name, requestName);
    });
    return found == requests.end() ? std::nullopt : std::optional<WeightRequest>(*found);
}

std::span<const BalanceDialect* const> balanceDialects() {
    return kDialects;
}

const BalanceDialect* dialectNamed(std::string_view name) {
    name = trimmed(name);
    const auto found = std::ranges::find_if(kDialects, [name](const BalanceDialect* dialect) {
        return reading::sameIgnoringCase(dialect->name, name);
    });
    return found == kDialects.end() ? nullptr : *found;
}

} // namespace balance
