#pragma once

#include "PortTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zqcom_internal {

// Reading and writing the named parameters of a port whose entry the caller holds.
// Both return a ZQCOM status.
std::int32_t readPortParameter(const PortEntry& port, std::string_view name, std::string& value);
std::int32_t writePortParameter(PortEntry& port, std::string_view name, std::string_view value);

// Applies a port's line settings to its device; false when the device refuses them.
bool applyLine(PortEntry& port, const platform::LineSettings& line);

} // namespace zqcom_internal
