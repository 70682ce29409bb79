#include "ReaderLine.h"

#include "LineTiming.h"

#include <algorithm>
#include <cstdio>

namespace emulator {
namespace {

// A host that floods the line gets its later requests dropped, as a busy reader would.
constexpr std::size_t kMaxQueuedRequests = 64;
constexpr std::int32_t kSlowestRate = 1200;

} // namespace

ControlReply ReaderLine::control(const std::string& line) {
    return emulator_.executeLine(line);
}

void ReaderLine::lineLost() {
    requests_.clear();
    pending_.reset();
    deframer_.reset();
}

void ReaderLine::received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) {
    lastByte_ = now;
    const bool frameWasOpen = deframer_.hasPartialFrame();
    bool framesCame = false;
    deframer_.feed(bytes, count);
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

std::optional<LineDevice::Clock::time_point> ReaderLine::serve(PseudoTerminalLink& link,
                                                               Clock::time_point now) {
    // The host's line is read now, as the reader would meet it with these characters.
    const RateAndFrame host = lineOf(link.hostLine());
    dropStalePartialFrame(host, now);
    sendDueReply(link, now);
    planNextReply(host);

    std::optional<Clock::time_point> wake;
    if (pending_) {
        wake = pending_->due;
    }
    if (deframer_.hasPartialFrame()) {
        // Checked again soon: the time-out depends on the host's rate, which may change.
        const auto check = now + std::chrono::milliseconds(5);
        wake = wake ? std::min(*wake, check) : check;
    }
    return wake;
}

void ReaderLine::dropStalePartialFrame(const RateAndFrame& host, Clock::time_point now) {
    if (!deframer_.hasPartialFrame()) {
        return;
    }
    const int timeoutMs = wire::interByteTimeoutMs(host.baud > 0 ? host.baud : kSlowestRate,
                                                   bitsPerCharacter(host.frame));
    if (now - lastByte_ > std::chrono::milliseconds(timeoutMs)) {
        deframer_.reset();
    }
}

void ReaderLine::planNextReply(const RateAndFrame& host) {
    while (!pending_ && !requests_.empty()) {
        const wire::Frame request = std::move(requests_.front());
        requests_.pop_front();
        const auto planned = emulator_.handleRequest(request, host, random_);
        if (planned) {
            pending_ = Pending{planned->bytes,
                               Clock::now() + std::chrono::microseconds(planned->delayMicros)};
        }
    }
}

void ReaderLine::sendDueReply(PseudoTerminalLink& link, Clock::time_point now) {
    if (pending_ && now >= pending_->due) {
        // Taken before the write: the host may see the reply before the write returns.
        lastLineActivity_ = Clock::now();
        if (!link.write(pending_->bytes)) {
            std::fprintf(stderr, "reader-emulator: reply not taken by the line\n");
        }
        pending_.reset();
    }
}

std::optional<std::int64_t> ReaderLine::quietBeforeLastRequestMs() const {
    if (!quietBeforeLastRequest_) {
        return std::nullopt;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(*quietBeforeLastRequest_).count();
}

} // namespace emulator
