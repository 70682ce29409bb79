#include "CommitAnswerLoss.h"

#include <QByteArrayView>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string("commit answer loss: ") + what);
}

bool sendAll(int socket, const char* bytes, ssize_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, bytes, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= sent;
    }
    return true;
}

int connectTo(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit();
    if (name.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return -1;
    std::copy(name.cbegin(), name.cend(), address.sun_path);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket >= 0 &&
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

} // namespace

CommitAnswerLoss::CommitAnswerLoss(const QString& serverSocket) : serverSocket_(serverSocket) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(stop_, O_CLOEXEC) != 0) {
        ::close(listener_);
        fail("no listening port");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

CommitAnswerLoss::~CommitAnswerLoss() {
    const char stop = 0;
    (void)!::write(stop_[1], &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(stop_[0]);
    ::close(stop_[1]);
}

void CommitAnswerLoss::run() {
    for (;;) {
        std::array<pollfd, 2> waits{{{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}}};
        if (::poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR)
            return;
        if (waits[0].revents != 0)
            return;
        if (waits[1].revents == 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        relay(client);
        ::close(client);
    }
}

void CommitAnswerLoss::relay(int client) {
    const int server = connectTo(serverSocket_);
    if (server < 0)
        return;
    std::array<char, 65536> buffer{};
    for (;;) {
        std::array<pollfd, 3> waits{
            {{stop_[0], POLLIN, 0}, {client, POLLIN, 0}, {server, POLLIN, 0}}};
        if (::poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (waits[0].revents != 0)
            break;
        if (waits[1].revents != 0) {
            const ssize_t got = ::recv(client, buffer.data(), buffer.size(), 0);
            if (got <= 0 || !sendAll(server, buffer.data(), got))
                break;
            // A simple query is sent whole, in one write.
            if (QByteArrayView(buffer.data(), got).contains("COMMIT"))
                committed_ = true;
        }
        if (waits[2].revents != 0) {
            const ssize_t got = ::recv(server, buffer.data(), buffer.size(), 0);
            if (got <= 0)
                break;
            if (committed_)
                dropped_ += got;
            else if (!sendAll(client, buffer.data(), got))
                break;
        }
    }
    ::close(server);
}
