#pragma once

#include "IsoResult.h"
#include "Transponder.h"

#include <vector>

namespace emulator {

// Runs one ISO request as it came in a 0xB0 frame: [code][mode][UID air order][parameters]
// against the transponders in the field. Writes change their memory.
IsoResult runIsoRequest(std::vector<Transponder>& field, const Bytes& request);

} // namespace emulator
