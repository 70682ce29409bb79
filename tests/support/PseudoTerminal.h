#pragma once

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// The master side of a pseudo-terminal, standing where a device would be: tests open
// slavePath() as the port and look at the line from here.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        char name[128] = {};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0) {
            return;
        }
        slavePath_ = name;
    }
    ~PseudoTerminal() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }

    // The line settings as an emulator on this side sees them.
    termios line() const {
        termios attributes{};
        ::tcgetattr(master_, &attributes);
        return attributes;
    }

    bool send(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (written > 0) {
                done += static_cast<std::size_t>(written);
            } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            }
        }
        return true;
    }

    // Collects what the port sent until count bytes have come or timeoutMs has passed.
    std::string receive(std::size_t count, int timeoutMs = 5000) const {
        std::string bytes;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t received = ::read(master_, chunk, sizeof chunk);
            if (received > 0) {
                bytes.append(chunk, static_cast<std::size_t>(received));
            }
        }
        return bytes;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};
