#include "BalanceCommand.h"

#include "ControlWords.h"
#include "WeightLine.h"

namespace balance {
namespace {

using emulator::ArgumentReader;

bool parseArguments(ArgumentReader& reader, Command& command) {
    switch (command.verb) {
    case Verb::Weight:
        return reader.count(1, 1, "weight VALUE") &&
               reader.take(parseWeight(reader.word(1)), command.hundredths,
                           "VALUE must be grams with at most 2 decimals, -99999.99..99999.99");
    case Verb::Stable:
        return reader.count(1, 1, "stable on|off") && reader.onOff(1, command.stable);
    case Verb::Fault: {
        if (!reader.count(1, 1, "fault none|silence|garbage|zeros|flood|hangup")) {
            return false;
        }
        const std::string name = emulator::lowered(reader.word(1));
        if (name == "hangup") {
            command.verb = Verb::Hangup;
            return true;
        }
        return reader.take(emulator::valueNamed(kFaultNames, name), command.fault,
                           "unknown fault " + name);
    }
    default:
        return reader.count(0, 0, "no arguments");
    }
}

constexpr emulator::Named<Verb> kVerbs[] = {{"weight", Verb::Weight},
                                            {"stable", Verb::Stable},
                                            {"fault", Verb::Fault},
                                            {"status", Verb::Status},
                                            {"quit", Verb::Quit}};

} // namespace

std::optional<Command> parseCommand(std::string_view line, std::string& error) {
    return emulator::parseControlLine<Command>(line, kVerbs, parseArguments, error);
}

} // namespace balance
