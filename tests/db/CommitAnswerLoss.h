#pragma once

#include <QString>
#include <atomic>
#include <thread>

// Between a station and its server: a TCP port on 127.0.0.1 that passes each connection on to
// the server's Unix socket, both ways, until a client's COMMIT has gone through; from then on the
// server's answers are dropped, so that the commit is made and its answer never arrives.
// Failures throw std::runtime_error.
class CommitAnswerLoss {
public:
    explicit CommitAnswerLoss(const QString& serverSocket);
    ~CommitAnswerLoss();
    CommitAnswerLoss(const CommitAnswerLoss&) = delete;
    CommitAnswerLoss& operator=(const CommitAnswerLoss&) = delete;

    int port() const { return port_; }
    // The bytes of the server's answers dropped so far.
    long long dropped() const { return dropped_; }

private:
    void run();
    // Passes the connection on until either side ends it or the proxy stops.
    void relay(int client);

    QString serverSocket_;
    int listener_ = -1;
    int port_ = 0;
    // Written to stop the thread.
    int stop_[2] = {-1, -1};
    std::atomic<bool> committed_ = false;
    std::atomic<long long> dropped_ = 0;
    std::thread thread_;
};
