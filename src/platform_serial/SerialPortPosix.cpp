#include "ComPortNames.h"
#include "LineAttributes.h"
#include "SerialPortBackend.h"
#include "TerminalSpeeds.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

// A line that accepts no byte for this long is taken as dead rather than slow.
constexpr int kWriteStallLimitMs = 5000;

bool isValid(const LineSettings& settings) {
    return terminalSpeed(settings.baud).has_value() && settings.dataBits >= 5 &&
           settings.dataBits <= 8 && (settings.stopBits == 1 || settings.stopBits == 2) &&
           (settings.parity == Parity::None || settings.parity == Parity::Even ||
            settings.parity == Parity::Odd);
}

bool sameSettings(const LineSettings& a, const LineSettings& b) {
    return a.baud == b.baud && a.dataBits == b.dataBits && a.parity == b.parity &&
           a.stopBits == b.stopBits;
}

bool isPseudoTerminal(int fd) {
#ifdef __linux__
    // Linux gives the slave sides of pseudo-terminals the majors 136..143.
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) && major(status.st_rdev) >= 136 &&
           major(status.st_rdev) <= 143;
#else
    (void)fd;
    return false;
#endif
}

SerialFailure openFailureOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
    case EIO: // a pseudo-terminal whose master is gone
        return SerialFailure::NoDevice;
    case EBUSY: // exclusive mode set by another open
        return SerialFailure::Busy;
    default:
        return SerialFailure::Io;
    }
}

// Polls fd for events until timeoutMs has passed, resuming after signals.
bool pollFor(int fd, short events, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready > 0) {
            return (entry.revents & events) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

std::string errnoText(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

} // namespace

SerialPortBackend::~SerialPortBackend() {
    close();
}

bool SerialPortBackend::fail(SerialFailure failure, const std::string& what) const {
    lastFailure_ = failure;
    lastError_ = what;
    return false;
}

bool SerialPortBackend::open(const std::string& portName) {
    close();
    lastFailure_ = SerialFailure::None;
    lastError_.clear();

    const std::string device = comPortDevice(portName);
    // Non-blocking for good: reads return at once, and writes wait with poll().
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return fail(openFailureOf(error), errnoText(device, error));
    }
    // TIOCEXCL does not hold root back; the lock holds everyone, in any process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error == EWOULDBLOCK ? SerialFailure::Busy : SerialFailure::Io,
                    errnoText(device, error));
    }
    termios attributes{};
    if (::tcgetattr(fd, &attributes) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(SerialFailure::Settings, errnoText(device, error));
    }
    ::cfmakeraw(&attributes);
    attributes.c_iflag &= ~(IXOFF | IXANY | INPCK);
    attributes.c_cflag &= ~CRTSCTS;
    attributes.c_cflag |= CLOCAL | CREAD;
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &attributes) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(SerialFailure::Settings, errnoText(device, error));
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(SerialFailure::Io, errnoText(device, error));
    }
    fd_ = fd;
    pseudoTerminal_ = isPseudoTerminal(fd);
    pseudoTerminalDataBits_ = 8;
    return true;
}

void SerialPortBackend::close() {
    if (fd_ < 0) {
        return;
    }
    // The exclusive mode outlives this descriptor on a pseudo-terminal whose master stays open.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool SerialPortBackend::getSettings(LineSettings& settings) const {
    termios attributes{};
    if (fd_ < 0) {
        return fail(SerialFailure::Io, "port not open");
    }
    if (::tcgetattr(fd_, &attributes) != 0) {
        return fail(SerialFailure::Settings, errnoText("tcgetattr", errno));
    }
    settings = settingsOf(attributes, pseudoTerminal_, pseudoTerminalDataBits_);
    return true;
}

bool SerialPortBackend::setSettings(const LineSettings& settings) {
    if (fd_ < 0) {
        return fail(SerialFailure::Io, "port not open");
    }
    if (!isValid(settings)) {
        return fail(SerialFailure::Settings, "unsupported line settings");
    }
    termios previous{};
    if (::tcgetattr(fd_, &previous) != 0) {
        return fail(SerialFailure::Settings, errnoText("tcgetattr", errno));
    }
    const termios wanted = lineAttributes(previous, settings, pseudoTerminal_);
    if (::tcsetattr(fd_, TCSANOW, &wanted) != 0) {
        return fail(SerialFailure::Settings, errnoText("tcsetattr", errno));
    }
    // tcsetattr reports success when any part was taken; a driver may drop the rest.
    termios taken{};
    if (::tcgetattr(fd_, &taken) != 0 ||
        !sameSettings(settingsOf(taken, pseudoTerminal_, settings.dataBits), settings)) {
        ::tcsetattr(fd_, TCSANOW, &previous);
        return fail(SerialFailure::Settings, "line settings not taken by the device");
    }
    pseudoTerminalDataBits_ = settings.dataBits;
    return true;
}

long SerialPortBackend::write(const void* data, std::size_t count) {
    if (fd_ < 0) {
        fail(SerialFailure::Io, "port not open");
        return -1;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t written = ::write(fd_, bytes + done, count - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(SerialFailure::Io, errnoText("write", errno));
            return -1;
        }
        if (!pollFor(fd_, POLLOUT, kWriteStallLimitMs)) {
            fail(SerialFailure::Io, "write stalled");
            return -1;
        }
    }
    return static_cast<long>(done);
}

long SerialPortBackend::bytesWaiting() const {
    int waiting = 0;
    if (fd_ < 0) {
        fail(SerialFailure::Io, "port not open");
        return -1;
    }
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
        fail(SerialFailure::Io, errnoText("FIONREAD", errno));
        return -1;
    }
    return waiting;
}

long SerialPortBackend::read(void* buffer, std::size_t count) {
    if (fd_ < 0) {
        fail(SerialFailure::Io, "port not open");
        return -1;
    }
    if (count == 0) {
        return 0;
    }
    for (;;) {
        const ssize_t received = ::read(fd_, buffer, count);
        if (received >= 0) {
            return static_cast<long>(received);
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        }
        if (errno != EINTR) {
            fail(SerialFailure::Io, errnoText("read", errno));
            return -1;
        }
    }
}

bool SerialPortBackend::waitReadable(int timeoutMs) const {
    if (fd_ < 0) {
        return fail(SerialFailure::Io, "port not open");
    }
    return pollFor(fd_, POLLIN, std::max(0, timeoutMs));
}

bool SerialPortBackend::purgeReceive() {
    if (fd_ < 0) {
        return fail(SerialFailure::Io, "port not open");
    }
    if (::tcflush(fd_, TCIFLUSH) != 0) {
        return fail(SerialFailure::Io, errnoText("tcflush", errno));
    }
    return true;
}

} // namespace platform
