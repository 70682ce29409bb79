#include "Balance.h"

#include "BalanceCommand.h"
#include "WeightLine.h"

namespace balance {

emulator::ControlReply Balance::executeLine(std::string_view line) {
    std::string error;
    const auto command = parseCommand(line, error);
    if (!command) {
        return emulator::failedReply(error);
    }
    emulator::ControlReply reply;
    switch (command->verb) {
    case Verb::Nothing:
        break;
    case Verb::Weight:
        hundredths_ = command->hundredths;
        break;
    case Verb::Stable:
        stable_ = command->stable;
        break;
    case Verb::Fault:
        fault_ = command->fault;
        break;
    case Verb::Hangup:
        reply.hangup = true;
        break;
    case Verb::Status:
        return status();
    case Verb::Quit:
        reply.quit = true;
        break;
    }
    return reply;
}

std::optional<Answer> Balance::answer(std::string_view request, std::mt19937& random) {
    if (request != "Q" && request != "PRT") {
        ++ignored_;
        return std::nullopt;
    }
    ++requests_;
    Answer answer{spoilLine(fault_, weightLine(hundredths_, stable_), random),
                  fault_ == Fault::Flood};
    if (answer.bytes.empty()) {
        return std::nullopt;
    }
    return answer;
}

emulator::ControlReply Balance::status() const {
    emulator::ControlReply reply = emulator::statusReply(statusSource_);
    reply.lines.push_back("weight " + weightText(hundredths_));
    reply.lines.push_back(std::string("stable ") + (stable_ ? "on" : "off"));
    reply.lines.push_back("fault " + std::string(emulator::nameOf(kFaultNames, fault_)));
    reply.lines.push_back("requests " + std::to_string(requests_));
    reply.lines.push_back("ignored " + std::to_string(ignored_));
    return reply;
}

} // namespace balance
