#include "BalanceSide.h"

#include "LineTiming.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace balance {
namespace {

constexpr std::int32_t kBaud = 2400;
// Start bit, 7 data bits, parity and stop bit, as the balance sends.
constexpr int kBitsPerCharacter = 10;
// A host that sends faster than the balance answers gets its later requests dropped.
constexpr std::size_t kMaxQueuedAnswers = 64;
constexpr std::size_t kCrLf = 2;
constexpr char kEscape = '\x1b';
constexpr std::chrono::milliseconds kUnaskedPeriod{100};

std::chrono::microseconds characterTime() {
    return std::chrono::microseconds(wire::lineTimeMicros(1, kBaud, kBitsPerCharacter));
}

} // namespace

emulator::ControlReply BalanceSide::control(const std::string& line) {
    return balance_.executeLine(line);
}

void BalanceSide::lineLost() {
    requests_ = emulator::LineSplitter();
    escaped_ = false;
    outgoing_.clear();
    lineFreeAt_ = {};
    nextUnaskedAt_.reset();
}

void BalanceSide::received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) {
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = static_cast<char>(bytes[i]);
        // An escape and the letter after it are a command whole, with or without a line end.
        if (std::exchange(escaped_, false)) {
            take(std::string{kEscape, byte}, 2, now);
            continue;
        }
        if (byte == kEscape) {
            escaped_ = true;
            continue;
        }
        requests_.feed(&byte, 1);
        while (auto piece = requests_.next()) {
            if (!piece->overlong && piece->endedByCrLf && !piece->text.empty()) {
                take(piece->text, piece->text.size() + kCrLf, now);
            }
        }
    }
}

void BalanceSide::take(std::string_view command, std::size_t requestBytes, Clock::time_point now) {
    if (auto answer = balance_.answer(command, random_)) {
        queue(requestBytes, std::move(*answer), now);
    }
}

void BalanceSide::queue(std::size_t requestBytes, Answer answer, Clock::time_point now) {
    if (outgoing_.size() >= kMaxQueuedAnswers) {
        return;
    }
    Outgoing out;
    out.paced = delays_ && !answer.atOnce;
    out.start = now;
    if (delays_) {
        // The request had to cross the line before the balance could hear it.
        out.start = std::max(now + characterTime() * static_cast<long>(requestBytes), lineFreeAt_);
    }
    lineFreeAt_ = out.start + (out.paced ? characterTime() * static_cast<long>(answer.bytes.size())
                                         : Clock::duration::zero());
    out.bytes = std::move(answer.bytes);
    outgoing_.push_back(std::move(out));
}

std::optional<emulator::LineDevice::Clock::time_point>
BalanceSide::serve(emulator::PseudoTerminalLink& link, Clock::time_point now) {
    const auto unasked = sendUnasked(now);
    const auto due = sendDue(link, now);
    if (!unasked || !due) {
        return unasked ? unasked : due;
    }
    return std::min(*unasked, *due);
}

std::optional<emulator::LineDevice::Clock::time_point>
BalanceSide::sendUnasked(Clock::time_point now) {
    if (!balance_.continuous()) {
        nextUnaskedAt_.reset();
        return std::nullopt;
    }
    if (!nextUnaskedAt_ || now >= *nextUnaskedAt_) {
        if (auto line = balance_.output(random_)) {
            queue(0, std::move(*line), now);
        }
        nextUnaskedAt_ = now + kUnaskedPeriod;
    }
    return nextUnaskedAt_;
}

std::optional<emulator::LineDevice::Clock::time_point>
BalanceSide::sendDue(emulator::PseudoTerminalLink& link, Clock::time_point now) {
    while (!outgoing_.empty()) {
        Outgoing& out = outgoing_.front();
        if (now < out.start) {
            return out.start;
        }
        std::size_t due = out.bytes.size();
        if (out.paced) {
            const auto complete = static_cast<std::size_t>((now - out.start) / characterTime());
            due = std::min(due, complete);
        }
        if (due > out.sent) {
            const std::vector<std::uint8_t> piece(out.bytes.begin() + static_cast<long>(out.sent),
                                                  out.bytes.begin() + static_cast<long>(due));
            if (!link.write(piece)) {
                std::fprintf(stderr, "balance-emulator: answer not taken by the line\n");
                due = out.bytes.size();
            }
            out.sent = due;
        }
        if (out.sent < out.bytes.size()) {
            return out.start + characterTime() * static_cast<long>(out.sent + 1);
        }
        outgoing_.pop_front();
    }
    return std::nullopt;
}

} // namespace balance
