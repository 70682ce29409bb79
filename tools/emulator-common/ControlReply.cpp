#include "ControlReply.h"

namespace emulator {

std::string ControlReply::text() const {
    std::string result;
    for (const std::string& line : lines) {
        result += line + "\n";
    }
    return result + finalLine() + "\n";
}

ControlReply failedReply(std::string error) {
    ControlReply reply;
    reply.error = std::move(error);
    return reply;
}

ControlReply statusReply(const StatusSource& source) {
    ControlReply reply;
    if (source) {
        reply.lines = source();
    }
    return reply;
}

} // namespace emulator
