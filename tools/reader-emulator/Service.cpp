#include "Service.h"

#include "LineTiming.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace emulator {
namespace {

// A host that floods the line gets its later requests dropped, as a busy reader would.
constexpr std::size_t kMaxQueuedRequests = 64;
constexpr std::int32_t kSlowestRate = 1200;

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

short readyEvents(const std::vector<pollfd>& entries, int fd) {
    for (const pollfd& entry : entries) {
        if (entry.fd == fd) {
            return entry.revents;
        }
    }
    return 0;
}

void printOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

Service::Service(Emulator& emulator, PseudoTerminalLink& link, ControlServer* control,
                 bool quitAtEndOfInput)
    : emulator_(emulator), link_(link), control_(control), quitAtEndOfInput_(quitAtEndOfInput),
      signalFd_(openSignalFd()) {}

ControlReply Service::control(const std::string& line) {
    ControlReply reply = emulator_.executeLine(line);
    if (reply.hangup) {
        reply.error = hangUp();
        quit_ = quit_ || !reply.error.empty();
    }
    quit_ = quit_ || reply.quit;
    return reply;
}

std::string Service::hangUp() {
    link_.close();
    requests_.clear();
    pending_.reset();
    deframer_.reset();
    std::string error;
    if (!link_.open(error)) {
        return error;
    }
    printOut("ready " + link_.slavePath() + "\n");
    return {};
}

int Service::run() {
    if (signalFd_ < 0) {
        std::fprintf(stderr, "reader-emulator: no signal descriptor\n");
        return 1;
    }
    while (!quit_) {
        const Clock::time_point now = Clock::now();
        dropStalePartialFrame(now);
        sendDueReply(now);
        planNextReply();

        std::vector<pollfd> entries{{signalFd_, POLLIN, 0}, {link_.masterFd(), POLLIN, 0}};
        if (inputOpen_) {
            entries.push_back({STDIN_FILENO, POLLIN, 0});
        }
        if (control_ != nullptr) {
            control_->addPollEntries(entries);
        }
        if (::poll(entries.data(), entries.size(), pollTimeoutMs(now)) < 0) {
            continue;
        }
        if (readyEvents(entries, signalFd_) != 0) {
            break;
        }
        if (readyEvents(entries, link_.masterFd()) != 0) {
            readLine();
        }
        if (inputOpen_ && readyEvents(entries, STDIN_FILENO) != 0) {
            readStandardInput();
        }
        if (control_ != nullptr) {
            control_->serve(entries,
                            [this](const std::string& line) { return control(line).text(); });
        }
    }
    link_.removeLink();
    return 0;
}

void Service::readLine() {
    std::uint8_t chunk[4096];
    long received = 0;
    while ((received = link_.read(chunk, sizeof chunk)) > 0) {
        lastByte_ = Clock::now();
        const bool frameWasOpen = deframer_.hasPartialFrame();
        bool framesCame = false;
        deframer_.feed(chunk, static_cast<std::size_t>(received));
        while (auto frame = deframer_.next()) {
            framesCame = true;
            if (requests_.size() < kMaxQueuedRequests) {
                requests_.push_back(std::move(*frame));
            }
        }
        if (!frameWasOpen && (framesCame || deframer_.hasPartialFrame())) {
            quietBeforeLastRequest_ = lastByte_ - lastLineActivity_;
        }
        lastLineActivity_ = lastByte_;
    }
    if (received < 0) {
        std::fprintf(stderr, "reader-emulator: line read failed\n");
    }
}

void Service::readStandardInput() {
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

void Service::dropStalePartialFrame(Clock::time_point now) {
    if (!deframer_.hasPartialFrame()) {
        return;
    }
    const Line host = link_.hostLine();
    const int timeoutMs = wire::interByteTimeoutMs(host.baud > 0 ? host.baud : kSlowestRate,
                                                   bitsPerCharacter(host.frame));
    if (now - lastByte_ > std::chrono::milliseconds(timeoutMs)) {
        deframer_.reset();
    }
}

void Service::planNextReply() {
    while (!pending_ && !requests_.empty()) {
        const wire::Frame request = std::move(requests_.front());
        requests_.pop_front();
        // The host's line is read now, as the reader would meet it with these characters.
        const auto planned = emulator_.handleRequest(request, link_.hostLine(), random_);
        if (planned) {
            pending_ = Pending{planned->bytes,
                               Clock::now() + std::chrono::microseconds(planned->delayMicros)};
        }
    }
}

void Service::sendDueReply(Clock::time_point now) {
    if (pending_ && now >= pending_->due) {
        // Taken before the write: the host may see the reply before the write returns.
        lastLineActivity_ = Clock::now();
        if (!link_.write(pending_->bytes)) {
            std::fprintf(stderr, "reader-emulator: reply not taken by the line\n");
        }
        pending_.reset();
    }
}

std::optional<std::int64_t> Service::quietBeforeLastRequestMs() const {
    if (!quietBeforeLastRequest_) {
        return std::nullopt;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(*quietBeforeLastRequest_).count();
}

int Service::pollTimeoutMs(Clock::time_point now) const {
    std::optional<Clock::time_point> wake;
    if (pending_) {
        wake = pending_->due;
    }
    if (deframer_.hasPartialFrame()) {
        // Checked again soon: the time-out depends on the host's rate, which may change.
        const auto check = now + std::chrono::milliseconds(5);
        wake = wake ? std::min(*wake, check) : check;
    }
    if (!wake) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
    return static_cast<int>(std::max<std::int64_t>(0, left));
}

} // namespace emulator
