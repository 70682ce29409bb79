#include "BalanceCommand.h"

#include "ControlWords.h"
#include "WeightLine.h"

#include <utility>
#include <vector>

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
        return reader.take(parseFault(name), command.fault, "unknown fault " + name);
    }
    default:
        return reader.count(0, 0, "no arguments");
    }
}

std::optional<Verb> verbOf(const std::string& word) {
    static const std::vector<std::pair<std::string, Verb>> kVerbs{{"weight", Verb::Weight},
                                                                  {"stable", Verb::Stable},
                                                                  {"fault", Verb::Fault},
                                                                  {"status", Verb::Status},
                                                                  {"quit", Verb::Quit}};
    const std::string name = emulator::lowered(word);
    for (const auto& [verbName, verb] : kVerbs) {
        if (verbName == name) {
            return verb;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Command> parseCommand(std::string_view line, std::string& error) {
    error.clear();
    const std::vector<std::string> words = emulator::splitWords(line);
    Command command;
    if (words.empty() || words[0][0] == '#') {
        return command;
    }
    const auto verb = verbOf(words[0]);
    if (!verb) {
        error = "unknown command " + words[0];
        return std::nullopt;
    }
    command.verb = *verb;
    ArgumentReader reader(words, error);
    if (!parseArguments(reader, command)) {
        return std::nullopt;
    }
    return command;
}

} // namespace balance
