#pragma once

#include "RateAndFrame.h"
#include "Transponder.h"

#include <vector>

namespace emulator {

// What the reader is: its own line and bus address, its RF field, and the transponders in that
// field, in the order they were placed.
struct ReaderState {
    RateAndFrame line;
    std::uint8_t address = 0;
    // Off at power-up; the first command that needs it switches it on and says so (0x84).
    bool fieldOn = false;
    std::vector<Transponder> field;
};

Transponder* findTransponder(std::vector<Transponder>& field, const Bytes& hostUid);

} // namespace emulator
