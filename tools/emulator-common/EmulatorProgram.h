#pragma once

#include "CommonOptions.h"
#include "LineDevice.h"
#include "PseudoTerminalLink.h"

#include <string>

namespace emulator {

// Says on standard error why the program cannot start; the exit code for it.
int startFailure(const std::string& programName, const std::string& message);

// Prints "name version" on standard output; the exit code for it.
int showVersion(const std::string& programName);

// The life of an emulator program: links the pseudo-terminal, listens on the control socket,
// runs the start-up script, prints "ready <slave path>" and serves until the end. The exit code.
// Without a link the device has no line: no pseudo-terminal, and "ready" names none.
int runEmulator(const std::string& programName, const CommonOptions& options, LineDevice& device,
                PseudoTerminalLink* link);

} // namespace emulator
