#pragma once

#include <functional>
#include <string>
#include <vector>

namespace emulator {

// The answer to one control line: lines to show before the final "ok" or "error: ...", and
// what the program around has to do.
struct ControlReply {
    std::vector<std::string> lines;
    std::string error;
    bool quit = false;
    bool hangup = false;

    std::string finalLine() const { return error.empty() ? "ok" : "error: " + error; }
    // The lines and the final line, each ended by a newline.
    std::string text() const;
};

ControlReply failedReply(std::string error);

// Lines the program around the device puts first in its "status": port, device, the host's line.
using StatusSource = std::function<std::vector<std::string>()>;
// A "status" reply holding the source's lines so far; the device adds its own.
ControlReply statusReply(const StatusSource& source);

} // namespace emulator
