#pragma once

#include "Catalogue.h"
#include "ControlCommand.h"
#include "ControlReply.h"
#include "Fault.h"
#include "ReaderState.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace emulator {

// Bytes to put on the line, and when: counted from the request's arrival.
struct PlannedReply {
    wire::Bytes bytes;
    std::int64_t delayMicros = 0;
};

// The reader with its transponders, faults and delays, driven by requests from the line and by
// control commands. Knows nothing of terminals or sockets.
class Emulator {
public:
    Emulator(const RateAndFrame& line, std::uint8_t address, bool delays, Catalogue catalogue);

    ControlReply execute(const ControlCommand& command);
    ControlReply executeLine(std::string_view line);

    // nullopt when the reader stays silent: another address, another line, or the silence
    // fault. hostLine is the line as the host set it when the request came.
    std::optional<PlannedReply> handleRequest(const wire::Frame& request,
                                              const RateAndFrame& hostLine, std::mt19937& random);

    const ReaderState& state() const { return state_; }
    // The transponder lying first on the reader, the one a PC/SC reader presents; null for none.
    Transponder* firstTransponder() {
        return state_.field.empty() ? nullptr : &state_.field.front();
    }
    const Fault& fault() const { return fault_; }
    bool delays() const { return delays_; }

    void setStatusSource(StatusSource source) { statusSource_ = std::move(source); }

private:
    ControlReply place(const ControlCommand& command);
    ControlReply list() const;
    ControlReply status() const;
    ControlReply changeTransponder(const ControlCommand& command);

    ReaderState state_;
    Catalogue catalogue_;
    Fault fault_;
    bool delays_;
    StatusSource statusSource_;
};

} // namespace emulator
