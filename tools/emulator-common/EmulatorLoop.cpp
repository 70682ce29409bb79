#include "EmulatorLoop.h"

#include "PollEvents.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace emulator {
namespace {

int openSignalFd() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

void printOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int timeoutMs(const std::optional<LineDevice::Clock::time_point>& wake,
              LineDevice::Clock::time_point now) {
    if (!wake) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
    return static_cast<int>(std::max<std::int64_t>(0, left));
}

// The earlier of two poll time-outs, where -1 is none.
int earlierTimeout(int a, int b) {
    if (a < 0) {
        return b;
    }
    return b < 0 ? a : std::min(a, b);
}

} // namespace

EmulatorLoop::EmulatorLoop(std::string programName, LineDevice& device, PseudoTerminalLink* link,
                           ControlServer* control, bool quitAtEndOfInput)
    : programName_(std::move(programName)), device_(device), link_(link), control_(control),
      quitAtEndOfInput_(quitAtEndOfInput), signalFd_(openSignalFd()),
      polledWake_(LineDevice::Clock::now()) {}

EmulatorLoop::~EmulatorLoop() {
    if (signalFd_ >= 0) {
        ::close(signalFd_);
    }
}

ControlReply EmulatorLoop::control(const std::string& line) {
    ControlReply reply = device_.control(line);
    if (reply.hangup && link_ != nullptr) {
        reply.error = hangUp();
        quit_ = quit_ || !reply.error.empty();
    }
    quit_ = quit_ || reply.quit;
    return reply;
}

std::string EmulatorLoop::hangUp() {
    link_->close();
    device_.lineLost();
    std::string error;
    if (!link_->open(error)) {
        return error;
    }
    printOut("ready " + link_->slavePath() + "\n");
    return {};
}

int EmulatorLoop::run() {
    if (signalFd_ < 0) {
        std::fprintf(stderr, "%s: no signal descriptor\n", programName_.c_str());
        return 1;
    }
    while (!quit_) {
        const LineDevice::Clock::time_point now = LineDevice::Clock::now();
        const int lineTimeout = link_ != nullptr ? timeoutMs(device_.serve(*link_, now), now) : -1;
        const int polledTimeout = timeoutMs(polledWake_, now);

        std::vector<pollfd> entries{{signalFd_, POLLIN, 0}};
        if (link_ != nullptr) {
            entries.push_back({link_->masterFd(), POLLIN, 0});
        }
        if (inputOpen_) {
            entries.push_back({STDIN_FILENO, POLLIN, 0});
        }
        if (control_ != nullptr) {
            control_->addPollEntries(entries);
        }
        device_.addPollEntries(entries);
        if (::poll(entries.data(), entries.size(), earlierTimeout(lineTimeout, polledTimeout)) <
            0) {
            continue;
        }
        if (readyEvents(entries, signalFd_) != 0) {
            break;
        }
        if (link_ != nullptr && readyEvents(entries, link_->masterFd()) != 0) {
            readLine();
        }
        if (inputOpen_ && readyEvents(entries, STDIN_FILENO) != 0) {
            readStandardInput();
        }
        if (control_ != nullptr) {
            control_->serve(entries,
                            [this](const std::string& line) { return control(line).text(); });
        }
        polledWake_ = device_.servePolled(entries, LineDevice::Clock::now());
    }
    if (link_ != nullptr) {
        link_->removeLink();
    }
    return 0;
}

void EmulatorLoop::readLine() {
    std::uint8_t chunk[4096];
    long received = 0;
    while ((received = link_->read(chunk, sizeof chunk)) > 0) {
        device_.received(chunk, static_cast<std::size_t>(received), LineDevice::Clock::now());
    }
    if (received < 0) {
        std::fprintf(stderr, "%s: line read failed\n", programName_.c_str());
    }
}

void EmulatorLoop::readStandardInput() {
    char chunk[4096];
    const ssize_t received = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (received > 0) {
        input_.feed(chunk, static_cast<std::size_t>(received));
    }
    while (auto piece = received > 0 ? input_.next() : input_.rest()) {
        printOut(piece->overlong ? "error: line too long\n" : control(piece->text).text());
    }
    if (received <= 0) {
        inputOpen_ = false;
        quit_ = quit_ || quitAtEndOfInput_;
    }
}

} // namespace emulator
