#pragma once

#include "BalanceReading.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace balance {

// A request for the weight, by the name a user knows it by and the bytes sent.
struct WeightRequest {
    std::string_view name;
    std::string_view bytes;
};

// What a balance shows, for writing its line.
struct ShownWeight {
    ReadingState state = ReadingState::Stable; // never NotAReading
    std::int64_t steps = 0;                    // the signed value in steps of 10^-decimals
    int decimals = 2;                          // 0 to 4
    std::string_view unit;
};

// How one family of balances speaks on its line. A new dialect is one more file defining one
// of these, listed in balanceDialects().
struct BalanceDialect {
    // As the INI file names it, lower case.
    std::string_view name;
    // The weight requests the balance answers; the first is the one to send unless one is chosen.
    std::span<const WeightRequest> requests;
    // What ends every line the balance sends.
    std::string_view lineEnd;
    std::string_view zeroCommand;
    std::string_view tareCommand;
    // One line of its output, with or without its line end; any bytes at all. Stable only where
    // the line itself says so.
    BalanceReading (*parse)(std::string_view line) = nullptr;
    // What the weight box shows for a line: as the balance's display shows it.
    std::string (*weightText)(std::string_view line) = nullptr;
    // Whether that text names its unit; a bare number is in grams.
    bool weightTextNamesUnit = false;
    // The line the balance sends for what it shows, line end and all.
    std::string (*line)(const ShownWeight& shown) = nullptr;
    // What the balance answers a command it does not know; empty when it stays silent.
    std::string_view unknownCommandReply;
    // Asks for the serial number; empty when the dialect has no such request.
    std::string_view serialRequest;
    // The serial number in the answer to serialRequest; nullopt for any other line.
    std::optional<std::string> (*serialNumber)(std::string_view line) = nullptr;

    // The request called name (any case); nullopt when the dialect has none of that name.
    std::optional<WeightRequest> request(std::string_view requestName) const;
};

extern const BalanceDialect kStationDialect;
extern const BalanceDialect kSicsDialect;
extern const BalanceDialect kSbiDialect;

// Every dialect the station speaks, the station's own first.
std::span<const BalanceDialect* const> balanceDialects();

// The dialect called name (any case, blanks around allowed); nullptr when there is none.
const BalanceDialect* dialectNamed(std::string_view name);

} // namespace balance
