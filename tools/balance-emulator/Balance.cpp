#include "Balance.h"

#include "BalanceCommand.h"

#include <algorithm>

namespace balance {
namespace {

std::string_view withoutLineEnd(std::string_view command, const BalanceDialect& dialect) {
    if (command.ends_with(dialect.lineEnd)) {
        command.remove_suffix(dialect.lineEnd.size());
    }
    return command;
}

} // namespace

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
        load_ = command->tenThousandths;
        break;
    case Verb::Stable:
        display_.stable = command->on;
        break;
    case Verb::Overload:
        display_.overload = command->on;
        break;
    case Verb::Underload:
        display_.underload = command->on;
        break;
    case Verb::Unit:
        display_.unit = command->unit;
        break;
    case Verb::Decimals:
        display_.decimals = command->decimals;
        break;
    case Verb::Mode:
        continuous_ = command->continuous;
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
    const auto isCommand = [this, request](std::string_view bytes) {
        return !bytes.empty() && request == withoutLineEnd(bytes, dialect_);
    };
    // Tare and zero are one on this balance: what is on the pan now reads zero.
    if (isCommand(dialect_.tareCommand) || isCommand(dialect_.zeroCommand)) {
        tare_ = load_;
        return std::nullopt;
    }
    if (std::ranges::none_of(dialect_.requests, [&](const WeightRequest& weight) {
            return isCommand(weight.bytes);
        })) {
        ++ignored_;
        if (dialect_.unknownCommandReply.empty()) {
            return std::nullopt;
        }
        const std::string_view reply = dialect_.unknownCommandReply;
        return Answer{std::vector<std::uint8_t>(reply.begin(), reply.end())};
    }
    ++requests_;
    return output(random);
}

std::optional<Answer> Balance::output(std::mt19937& random) const {
    Display shown = display_;
    shown.tenThousandths = load_ - tare_;
    Answer answer{spoilLine(fault_, weightLine(shown, dialect_), random), fault_ == Fault::Flood};
    if (answer.bytes.empty()) {
        return std::nullopt;
    }
    return answer;
}

emulator::ControlReply Balance::status() const {
    emulator::ControlReply reply = emulator::statusReply(statusSource_);
    const auto onOff = [](bool on) { return on ? "on" : "off"; };
    reply.lines.push_back("weight " + weightText(load_));
    reply.lines.push_back("tare " + weightText(tare_));
    reply.lines.push_back(std::string("stable ") + onOff(display_.stable));
    reply.lines.push_back(std::string("overload ") + onOff(display_.overload));
    reply.lines.push_back(std::string("underload ") + onOff(display_.underload));
    reply.lines.push_back("dialect " + std::string(dialect_.name));
    reply.lines.push_back("unit " + std::string(display_.unit));
    reply.lines.push_back("decimals " + std::to_string(display_.decimals));
    reply.lines.push_back(std::string("mode ") + (continuous_ ? "continuous" : "request"));
    reply.lines.push_back("fault " + std::string(emulator::nameOf(kFaultNames, fault_)));
    reply.lines.push_back("requests " + std::to_string(requests_));
    reply.lines.push_back("ignored " + std::to_string(ignored_));
    return reply;
}

} // namespace balance
