#include "ReaderDevice.h"

namespace emulator {

ControlReply ReaderDevice::control(const std::string& line) {
    ControlReply reply = line_.control(line);
    if (reply.hangup && pcsc_ != nullptr) {
        pcsc_->hangUp(Clock::now());
    }
    return reply;
}

void ReaderDevice::addPollEntries(std::vector<pollfd>& entries) const {
    if (pcsc_ != nullptr) {
        pcsc_->addPollEntries(entries);
    }
}

std::optional<LineDevice::Clock::time_point>
ReaderDevice::servePolled(const std::vector<pollfd>& entries, Clock::time_point now) {
    return pcsc_ != nullptr ? pcsc_->serve(entries, now) : std::nullopt;
}

} // namespace emulator
