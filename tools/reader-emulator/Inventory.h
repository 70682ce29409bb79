#pragma once

#include "IsoResult.h"
#include "Transponder.h"

#include <vector>

namespace emulator {

// More would not fit the reply: 1 + 25 x 10 bytes.
constexpr std::size_t kMaxListedTransponders = 25;

// An inventory round over the field: in 16 slots (mode bit 0 clear) or in one. Transponders that
// share a slot collide and are then read one by one (status 0x93); they are listed slot by slot.
IsoResult runInventory(const std::vector<Transponder>& field, std::uint8_t mode);

} // namespace emulator
