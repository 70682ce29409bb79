#pragma once

#include "BalanceDialect.h"

#include <string>

namespace balance {

// The polling link's port when the INI file names none.
inline constexpr const char* kDefaultPollPort = "COM1";

// The station's balances, section [Balance] of its INI file. With nothing set, one balance is
// polled on COM1 and the terminal window opens its port when its button is pressed.
struct BalanceIni {
    // PollPort: the polling link's port name as written, or empty for "none" (any case): no link.
    // Missing or empty: kDefaultPollPort.
    std::string pollPort = kDefaultPollPort;
    // Port: the terminal window's port as written; empty when not set.
    std::string port;
    // OpenAtShow=1: the terminal window opens its port at every show of the main window.
    bool openAtShow = false;
    // PollDialect and Dialect: how the balances on PollPort and Port speak, by a dialect's name
    // in any case. Missing, empty or unknown: the station's own.
    const BalanceDialect* pollDialect = &kStationDialect;
    const BalanceDialect* dialect = &kStationDialect;

    static BalanceIni read(const std::string& iniPath);
};

} // namespace balance
