#pragma once

#include "BalanceFault.h"
#include "ControlReply.h"
#include "WeightLine.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace balance {

// What the balance puts on the line at one time.
struct Answer {
    std::vector<std::uint8_t> bytes;
    bool atOnce = false; // the flood: all of it in one go, not at the line's pace
};

// The balance: the load on its pan, its tare, how it shows them, its fault, and the requests it
// has seen. Knows nothing of terminals or sockets.
class Balance {
public:
    explicit Balance(const BalanceDialect& dialect = kStationDialect) : dialect_(dialect) {}

    emulator::ControlReply executeLine(std::string_view line);

    // A command of the host without its line end. nullopt when the balance stays silent: tare
    // and zero, a line that is no command in a dialect that does not answer those, or the
    // silence fault.
    std::optional<Answer> answer(std::string_view request, std::mt19937& random);
    // The line as it would go out now, unasked; nullopt for the silence fault.
    std::optional<Answer> output(std::mt19937& random) const;
    // It sends its line on its own, again and again, besides answering requests.
    bool continuous() const { return continuous_; }

    void setStatusSource(emulator::StatusSource source) { statusSource_ = std::move(source); }

private:
    emulator::ControlReply status() const;

    const BalanceDialect& dialect_;
    std::int64_t load_ = 0;
    std::int64_t tare_ = 0;
    Display display_;
    bool continuous_ = false;
    Fault fault_ = Fault::None;
    std::uint64_t requests_ = 0;
    std::uint64_t ignored_ = 0;
    emulator::StatusSource statusSource_;
};

} // namespace balance
