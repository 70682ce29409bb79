#include "VpcdLink.h"

#include "PollEvents.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <unistd.h>

namespace emulator {
namespace {

// A driver that was not there yet, or restarted, is tried again this often.
constexpr auto kRetryDelay = std::chrono::milliseconds(500);
// Replies are small and only follow requests: a peer that lets this much pile up is not reading.
constexpr std::size_t kMaxOutbox = 1 << 16;

std::optional<VpcdAddress> lookUp(const std::string& host, const std::string& port, int family) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    VpcdAddress address;
    std::memcpy(&address.address, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    ::freeaddrinfo(found);
    return address;
}

} // namespace

std::optional<VpcdAddress> resolveVpcdAddress(const std::string& host, std::uint16_t port,
                                              std::string& error) {
    const std::string service = std::to_string(port);
    auto address = lookUp(host, service, AF_INET);
    if (!address) {
        address = lookUp(host, service, AF_UNSPEC);
    }
    if (!address) {
        error = "unknown host " + host;
    }
    return address;
}

VpcdLink::VpcdLink(const VpcdAddress& address, std::size_t maxMessage)
    : address_(address), deframer_(maxMessage) {}

VpcdLink::~VpcdLink() {
    close();
}

void VpcdLink::drop(Clock::time_point now) {
    close();
    retryAt_ = now + kRetryDelay;
}

VpcdLink::State VpcdLink::state() const {
    if (fd_ >= 0) {
        return connecting_ ? State::Connecting : State::Connected;
    }
    return wanted_ ? State::Waiting : State::Idle;
}

void VpcdLink::close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    connecting_ = false;
    leaving_ = false;
    previous_.clear();
    deframer_.reset();
    outbox_.clear();
}

void VpcdLink::connect(Clock::time_point now) {
    fd_ = ::socket(address_.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        drop(now);
        return;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address_.address), address_.length) ==
        0) {
        return;
    }
    if (errno == EINPROGRESS) {
        connecting_ = true;
        return;
    }
    drop(now);
}

void VpcdLink::addPollEntries(std::vector<pollfd>& entries) const {
    if (fd_ < 0) {
        return;
    }
    const short events = connecting_ ? POLLOUT : (outbox_.empty() ? POLLIN : POLLIN | POLLOUT);
    entries.push_back({fd_, events, 0});
}

std::optional<VpcdLink::Clock::time_point>
VpcdLink::serve(const std::vector<pollfd>& entries, Clock::time_point now, const Answer& answer) {
    if (fd_ < 0) {
        if (!wanted_) {
            return std::nullopt;
        }
        if (now < retryAt_) {
            return retryAt_;
        }
        connect(now);
        return fd_ < 0 ? std::optional(retryAt_) : std::nullopt;
    }
    const short ready = readyEvents(entries, fd_);
    if (ready == 0) {
        return std::nullopt;
    }
    const bool kept = connecting_ ? finishConnect() : receive(answer) && flush();
    if (kept) {
        return std::nullopt;
    }
    if (leaving_) {
        // The driver took this link, so its queue is free for the next.
        close();
        return now;
    }
    drop(now);
    return retryAt_;
}

bool VpcdLink::finishConnect() {
    int failure = 0;
    socklen_t length = sizeof failure;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &failure, &length) != 0 || failure != 0) {
        return false;
    }
    connecting_ = false;
    return true;
}

bool VpcdLink::receive(const Answer& answer) {
    std::uint8_t chunk[4096];
    const ssize_t received = ::recv(fd_, chunk, sizeof chunk, 0);
    if (received == 0) {
        return false; // the driver let go
    }
    if (received < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    // The driver writes a message's length and body apart: acked at once, the body follows at
    // once instead of after the delayed ack (some 40 ms a message). The kernel drops the
    // setting again, so it is renewed at every read.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    deframer_.feed(chunk, static_cast<std::size_t>(received));
    while (auto message = deframer_.next()) {
        const VpcdReply reply = answer(*message, previous_);
        previous_ = std::move(*message);
        if (reply.kind == VpcdReply::Kind::Leave || reply.kind == VpcdReply::Kind::HangUp) {
            leaving_ = reply.kind == VpcdReply::Kind::Leave;
            return false;
        }
        if (reply.kind == VpcdReply::Kind::Nothing) {
            continue;
        }
        const auto frame = vpcdFrame(reply.bytes);
        if (!frame || outbox_.size() + frame->size() > kMaxOutbox) {
            return false;
        }
        outbox_.insert(outbox_.end(), frame->begin(), frame->end());
    }
    return !deframer_.broken();
}

bool VpcdLink::flush() {
    while (!outbox_.empty()) {
        const ssize_t sent = ::send(fd_, outbox_.data(), outbox_.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        outbox_.erase(outbox_.begin(), outbox_.begin() + sent);
    }
    return true;
}

} // namespace emulator
