#pragma once

#include "VpcdFraming.h"

#include <chrono>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace emulator {

// Where the virtual reader driver listens.
struct VpcdAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
};

// IPv4 first, as the driver listens there; nullopt with error set when the host is unknown.
std::optional<VpcdAddress> resolveVpcdAddress(const std::string& host, std::uint16_t port,
                                              std::string& error);

// The card's end of the TCP link to the virtual reader driver. The driver listens, the card
// connects: while a card is wanted the link connects, and again after each loss; a closed
// link is a card taken away. Never blocks.
class VpcdLink {
public:
    using Clock = std::chrono::steady_clock;
    // The reply to one message, empty for none; nullopt when the message makes no sense and
    // the link has to go.
    using Answer = std::function<std::optional<wire::Bytes>(const wire::Bytes& message)>;

    enum class State { Idle, Waiting, Connecting, Connected };

    VpcdLink(const VpcdAddress& address, std::size_t maxMessage);
    ~VpcdLink();
    VpcdLink(const VpcdLink&) = delete;
    VpcdLink& operator=(const VpcdLink&) = delete;

    // Closes at once when no card is wanted any more.
    void setWanted(bool wanted);
    // Closes; connects again after the retry delay while wanted.
    void drop(Clock::time_point now);

    void addPollEntries(std::vector<pollfd>& entries) const;
    // Connects, reads, answers and writes where entries say so; when it next has something to
    // do on its own, nullopt for only when the socket is ready.
    std::optional<Clock::time_point> serve(const std::vector<pollfd>& entries,
                                           Clock::time_point now, const Answer& answer);

    State state() const;

private:
    void connect(Clock::time_point now);
    void close();
    bool finishConnect();
    bool receive(const Answer& answer);
    bool flush();

    VpcdAddress address_;
    VpcdDeframer deframer_;
    int fd_ = -1;
    bool connecting_ = false;
    bool wanted_ = false;
    Clock::time_point retryAt_{};
    wire::Bytes outbox_;
};

} // namespace emulator
