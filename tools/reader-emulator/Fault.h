#pragma once

#include "NameTable.h"
#include "WireFrame.h"

#include <random>
#include <string>

namespace emulator {

enum class FaultKind { None, Silence, Garbage, Noise, BadCrc, Short, Slow };

// A fault that spoils every reply until it is set back to none.
struct Fault {
    FaultKind kind = FaultKind::None;
    int slowMs = 0; // Slow only

    bool operator==(const Fault&) const = default;
};

constexpr int kMaxSlowMs = 60000;

// As the control commands name them; "slow" takes its milliseconds.
inline constexpr Named<FaultKind> kFaultNames[] = {
    {"none", FaultKind::None},   {"silence", FaultKind::Silence}, {"garbage", FaultKind::Garbage},
    {"noise", FaultKind::Noise}, {"badcrc", FaultKind::BadCrc},   {"short", FaultKind::Short},
    {"slow", FaultKind::Slow}};

std::string faultText(const Fault& fault);

// The bytes that go on the line in place of the reply frame; empty for silence.
// Garbage and noise hold no start-of-frame byte: garbage can pass for no reply, and noise
// leaves the reply after it to be found.
wire::Bytes spoilReply(const Fault& fault, const wire::Bytes& frame, std::mt19937& random);

} // namespace emulator
