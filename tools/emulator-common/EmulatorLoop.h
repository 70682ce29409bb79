#pragma once

#include "ControlServer.h"
#include "LineDevice.h"
#include "LineSplitter.h"
#include "PseudoTerminalLink.h"

#include <optional>
#include <string>

namespace emulator {

// The program's loop: bytes from the line to the device and its replies back, control lines
// from standard input and the control socket, and the signals that end it.
class EmulatorLoop {
public:
    // programName prefixes what goes to standard error. Without a link the device has no line
    // and serves only its own descriptors.
    EmulatorLoop(std::string programName, LineDevice& device, PseudoTerminalLink* link,
                 ControlServer* control, bool quitAtEndOfInput);
    ~EmulatorLoop();
    EmulatorLoop(const EmulatorLoop&) = delete;
    EmulatorLoop& operator=(const EmulatorLoop&) = delete;

    // Runs one control line, hang-up and quit included.
    ControlReply control(const std::string& line);
    bool quitRequested() const { return quit_; }
    // Until quit or a terminating signal; the exit code. Removes the link at the end.
    int run();

private:
    void readLine();
    void readStandardInput();
    // A new pseudo-terminal in place of the old; an error text when none could be had.
    std::string hangUp();

    std::string programName_;
    LineDevice& device_;
    PseudoTerminalLink* link_;
    ControlServer* control_;
    bool quitAtEndOfInput_;
    bool inputOpen_ = true;
    bool quit_ = false;
    int signalFd_ = -1;
    LineSplitter input_;
    // When the device next wants its own descriptors served; at once at the start.
    std::optional<LineDevice::Clock::time_point> polledWake_;
};

} // namespace emulator
