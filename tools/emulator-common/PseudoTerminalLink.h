#pragma once

#include "HostLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emulator {

// The device's end of the line: the master side of a pseudo-terminal whose slave is linked
// where the station looks for its port. The emulator keeps a slave descriptor open itself, so
// the host closing and reopening the port does not hang up the master.
class PseudoTerminalLink {
public:
    explicit PseudoTerminalLink(std::string linkPath) : linkPath_(std::move(linkPath)) {}
    ~PseudoTerminalLink();
    PseudoTerminalLink(const PseudoTerminalLink&) = delete;
    PseudoTerminalLink& operator=(const PseudoTerminalLink&) = delete;

    // A new pseudo-terminal, linked in place of whatever the link was.
    bool open(std::string& error);
    // Closes both sides, as a device unplugged; the link stays until the next open.
    void close();
    void removeLink();

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }
    // The line as the host set it; baud 0 when it cannot be read.
    HostLine hostLine() const;
    // "port COM1 <link> -> <slave>": where an emulator's status says its line is.
    std::string portLine(const std::string& portName) const;

    // Reads what is waiting without blocking: the count, 0 for nothing, -1 on error.
    long read(std::uint8_t* buffer, std::size_t size);
    // false when the line takes no byte for a long while.
    bool write(const std::vector<std::uint8_t>& bytes);

private:
    bool link(std::string& error);

    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
    int slave_ = -1;
};

} // namespace emulator
