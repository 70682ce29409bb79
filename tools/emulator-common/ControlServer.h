#pragma once

#include "LineSplitter.h"

#include <functional>
#include <poll.h>
#include <string>
#include <vector>

namespace emulator {

// A Unix socket that takes control lines from any number of clients and writes each line's
// answer back to the client that sent it.
class ControlServer {
public:
    // The answer text to one line, every line of it ended.
    using Answer = std::function<std::string(const std::string& line)>;

    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Replaces a stale socket file of an earlier run.
    bool listen(const std::string& path, std::string& error);

    void addPollEntries(std::vector<pollfd>& entries) const;
    // Accepts, reads and answers wherever entries say something is ready.
    void serve(const std::vector<pollfd>& entries, const Answer& answer);

private:
    struct Client {
        int fd = -1;
        LineSplitter splitter;
    };

    // false when the client is gone or stopped reading.
    bool serveClient(Client& client, const Answer& answer);

    std::string path_;
    int listener_ = -1;
    std::vector<Client> clients_;
};

} // namespace emulator
