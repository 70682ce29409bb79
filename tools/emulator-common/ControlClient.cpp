#include "ControlClient.h"

#include "LineSplitter.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace emulator {
namespace {

using Clock = std::chrono::steady_clock;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

ControlAnswer noAnswer(std::string problem, std::vector<std::string> lines = {}) {
    ControlAnswer answer;
    answer.problem = std::move(problem);
    answer.lines = std::move(lines);
    return answer;
}

std::string connectProblem(const std::string& path, int error) {
    if (error == ENOENT) {
        return path + ": no such socket (is the emulator running?)";
    }
    if (error == ECONNREFUSED) {
        return path + ": nobody listens there (is the emulator running?)";
    }
    return path + ": " + std::strerror(error);
}

// Waits for events on fd until the deadline; false when it passed first.
bool awaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

bool sendAll(int fd, const std::string& text, Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else if (!awaitReady(fd, POLLOUT, deadline)) {
            return false;
        }
    }
    return true;
}

bool isFinalLine(const std::string& line) {
    return line == "ok" || line.starts_with("error: ");
}

} // namespace

std::string ControlAnswer::summary() const {
    if (outcome == Outcome::NoAnswer || lines.empty()) {
        return problem;
    }
    return lines.back();
}

ControlClient::ControlClient(std::string socketPath, std::chrono::milliseconds timeout,
                             std::size_t maxAnswerBytes)
    : socketPath_(std::move(socketPath)), timeout_(timeout), maxAnswerBytes_(maxAnswerBytes) {}

ControlAnswer ControlClient::send(const std::string& command) const {
    if (command.find_first_of("\r\n") != std::string::npos) {
        return noAnswer("a control command is one line");
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) {
        return noAnswer("control socket path empty or too long: " + socketPath_);
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    const auto deadline = Clock::now() + timeout_;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) {
        return noAnswer(std::string("control socket: ") + std::strerror(errno));
    }
    // A Unix socket connects at once or not at all; EAGAIN means its queue is full.
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return noAnswer(connectProblem(socketPath_, errno));
    }
    if (!sendAll(socket.get(), command + "\n", deadline)) {
        return noAnswer(socketPath_ + ": the command could not be sent");
    }

    LineSplitter splitter(maxAnswerBytes_);
    std::vector<std::string> lines;
    std::size_t received = 0;
    for (;;) {
        while (auto piece = splitter.next()) {
            lines.push_back(std::move(piece->text));
            if (isFinalLine(lines.back())) {
                ControlAnswer answer;
                answer.outcome = lines.back() == "ok" ? ControlAnswer::Outcome::Ok
                                                      : ControlAnswer::Outcome::Refused;
                answer.lines = std::move(lines);
                return answer;
            }
        }
        if (received > maxAnswerBytes_) {
            return noAnswer(socketPath_ + ": answer longer than " +
                                std::to_string(maxAnswerBytes_) + " bytes",
                            std::move(lines));
        }
        if (!awaitReady(socket.get(), POLLIN, deadline)) {
            return noAnswer(socketPath_ + ": no whole answer within " +
                                std::to_string(timeout_.count()) + " ms",
                            std::move(lines));
        }
        char chunk[4096];
        const ssize_t count = ::recv(socket.get(), chunk, sizeof chunk, 0);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
            return noAnswer(socketPath_ + ": the emulator went away before it answered",
                            std::move(lines));
        }
        if (count > 0) {
            received += static_cast<std::size_t>(count);
            splitter.feed(chunk, static_cast<std::size_t>(count));
        }
    }
}

} // namespace emulator
