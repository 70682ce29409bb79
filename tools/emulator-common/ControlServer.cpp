#include "ControlServer.h"

#include "PollEvents.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace emulator {
namespace {

constexpr std::size_t kMaxClients = 16;

bool sendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

} // namespace

ControlServer::~ControlServer() {
    for (const Client& client : clients_) {
        ::close(client.fd);
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
}

bool ControlServer::listen(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "control socket path empty or too long";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        error = std::string("control socket: ") + std::strerror(errno);
        return false;
    }
    ::unlink(path.c_str());
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    path_ = path;
    return true;
}

void ControlServer::addPollEntries(std::vector<pollfd>& entries) const {
    if (listener_ >= 0) {
        entries.push_back({listener_, POLLIN, 0});
    }
    for (const Client& client : clients_) {
        entries.push_back({client.fd, POLLIN, 0});
    }
}

void ControlServer::serve(const std::vector<pollfd>& entries, const Answer& answer) {
    for (auto client = clients_.begin(); client != clients_.end();) {
        if (readyEvents(entries, client->fd) != 0 && !serveClient(*client, answer)) {
            ::close(client->fd);
            client = clients_.erase(client);
        } else {
            ++client;
        }
    }
    if (listener_ >= 0 && (readyEvents(entries, listener_) & POLLIN) != 0) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 && clients_.size() < kMaxClients) {
            clients_.push_back(Client{fd, LineSplitter()});
        } else if (fd >= 0) {
            sendAll(fd, "error: too many control clients\n");
            ::close(fd);
        }
    }
}

bool ControlServer::serveClient(Client& client, const Answer& answer) {
    char chunk[4096];
    const ssize_t received = ::recv(client.fd, chunk, sizeof chunk, 0);
    if (received < 0 && (errno == EAGAIN || errno == EINTR)) {
        return true;
    }
    if (received <= 0) {
        return false;
    }
    client.splitter.feed(chunk, static_cast<std::size_t>(received));
    while (auto piece = client.splitter.next()) {
        const std::string text = piece->overlong ? "error: line too long\n" : answer(piece->text);
        if (!sendAll(client.fd, text)) {
            return false;
        }
    }
    return true;
}

} // namespace emulator
