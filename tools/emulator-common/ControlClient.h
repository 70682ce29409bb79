#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace emulator {

// What came back for one control line.
struct ControlAnswer {
    enum class Outcome {
        Ok,      // the final line was "ok"
        Refused, // the final line was "error: ..."
        NoAnswer // no emulator, or it went away, was too slow or said too much
    };

    Outcome outcome = Outcome::NoAnswer;
    // Every line received, the final "ok" or "error: ..." last when there was one.
    std::vector<std::string> lines;
    // Why there is no answer, when NoAnswer.
    std::string problem;

    bool ok() const { return outcome == Outcome::Ok; }
    // The final line, or the problem: what a user wants to see of it.
    std::string summary() const;
};

// Sends single control lines to an emulator's control socket, one connection a line, so an
// emulator that was restarted in between is found again.
class ControlClient {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};
    static constexpr std::size_t kDefaultMaxAnswerBytes = 256 * 1024;

    explicit ControlClient(std::string socketPath,
                           std::chrono::milliseconds timeout = kDefaultTimeout,
                           std::size_t maxAnswerBytes = kDefaultMaxAnswerBytes);

    // Waits at most the time-out for the whole answer.
    ControlAnswer send(const std::string& command) const;

    const std::string& socketPath() const { return socketPath_; }

private:
    std::string socketPath_;
    std::chrono::milliseconds timeout_;
    std::size_t maxAnswerBytes_;
};

} // namespace emulator
