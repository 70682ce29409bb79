#include "PseudoTerminalLink.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace emulator {
namespace {

constexpr int kWriteStallMs = 2000;

std::string errnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

PseudoTerminalLink::~PseudoTerminalLink() {
    close();
}

bool PseudoTerminalLink::open(std::string& error) {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        error = errnoText("pseudo-terminal");
        close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios attributes{};
    if (slave_ < 0 || ::tcgetattr(slave_, &attributes) != 0) {
        error = errnoText(slavePath_);
        close();
        return false;
    }
    // Raw from the start: a cooked line would echo the replies back as requests.
    ::cfmakeraw(&attributes);
    if (::tcsetattr(slave_, TCSANOW, &attributes) != 0) {
        error = errnoText(slavePath_);
        close();
        return false;
    }
    return link(error);
}

bool PseudoTerminalLink::link(std::string& error) {
    const std::string folder = parentOf(linkPath_);
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = errnoText(folder);
        return false;
    }
    // A fresh link renamed over the old one: the name never points nowhere.
    const std::string fresh = linkPath_ + ".new" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(slavePath_.c_str(), fresh.c_str()) != 0) {
        error = errnoText(fresh);
        return false;
    }
    if (::rename(fresh.c_str(), linkPath_.c_str()) != 0) {
        error = errnoText(linkPath_);
        ::unlink(fresh.c_str());
        return false;
    }
    return true;
}

void PseudoTerminalLink::close() {
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PseudoTerminalLink::removeLink() {
    char target[256] = {};
    const ssize_t length = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    // Only our own link: another emulator may have taken the name since.
    if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == slavePath_) {
        ::unlink(linkPath_.c_str());
    }
}

HostLine PseudoTerminalLink::hostLine() const {
    termios attributes{};
    if (master_ < 0 || ::tcgetattr(master_, &attributes) != 0) {
        return HostLine{};
    }
    return hostLineFromTermios(attributes);
}

std::string PseudoTerminalLink::portLine(const std::string& portName) const {
    return "port " + portName + " " + linkPath_ + " -> " + slavePath_;
}

long PseudoTerminalLink::read(std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t received = ::read(master_, buffer, size);
        if (received >= 0) {
            return static_cast<long>(received);
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

bool PseudoTerminalLink::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        pollfd entry{master_, POLLOUT, 0};
        if (::poll(&entry, 1, kWriteStallMs) <= 0) {
            return false;
        }
    }
    return true;
}

} // namespace emulator
