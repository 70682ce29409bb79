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

// What the card does with one message from the driver. Leave hangs up as a card taken away
// that the driver sees go: a card there is offered again at once. HangUp also waits the retry
// delay.
struct VpcdReply {
    enum class Kind { Send, Nothing, Leave, HangUp };
    Kind kind = Kind::Nothing;
    wire::Bytes bytes; // for Send

    static VpcdReply send(wire::Bytes bytes) { return {Kind::Send, std::move(bytes)}; }
    static VpcdReply nothing() { return {}; }
    static VpcdReply leave() { return {Kind::Leave, {}}; }
    static VpcdReply hangUp() { return {Kind::HangUp, {}}; }
};

// The card's end of the TCP link to the virtual reader driver. The driver listens, the card
// connects while wanted. The driver takes one link at a time and queues one more; a link
// closed while still queued holds the next one off for seconds, so the card closes a link only
// in answer to a message, when the driver has taken it. Never blocks.
class VpcdLink {
public:
    using Clock = std::chrono::steady_clock;
    // previous: the message before on the same link, empty for the first.
    using Answer =
        std::function<VpcdReply(const wire::Bytes& message, const wire::Bytes& previous)>;

    enum class State { Idle, Waiting, Connecting, Connected };

    VpcdLink(const VpcdAddress& address, std::size_t maxMessage);
    ~VpcdLink();
    VpcdLink(const VpcdLink&) = delete;
    VpcdLink& operator=(const VpcdLink&) = delete;

    // Connects when wanted and no link is up; a link no longer wanted is kept.
    void setWanted(bool wanted) { wanted_ = wanted; }
    // Closes; connects again after the retry delay.
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
    bool leaving_ = false;
    wire::Bytes previous_;
    Clock::time_point retryAt_{};
    wire::Bytes outbox_;
};

} // namespace emulator
