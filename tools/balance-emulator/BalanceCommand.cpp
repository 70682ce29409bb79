#include "BalanceCommand.h"

#include "ControlWords.h"
#include "WeightLine.h"

#include <algorithm>

namespace balance {
namespace {

using emulator::ArgumentReader;

constexpr emulator::Named<bool> kModes[] = {{"request", false}, {"continuous", true}};

std::optional<std::string_view> unitNamed(const std::string& word) {
    const auto unit = std::find(std::begin(kUnits), std::end(kUnits), word);
    return unit == std::end(kUnits) ? std::nullopt : std::optional<std::string_view>(*unit);
}

std::optional<int> decimalsIn(const std::string& word) {
    if (word.size() != 1 || word[0] < '0' || word[0] - '0' > kMaxDecimals) {
        return std::nullopt;
    }
    return word[0] - '0';
}

bool parseArguments(ArgumentReader& reader, Command& command) {
    switch (command.verb) {
    case Verb::Weight:
        return reader.count(1, 1, "weight VALUE") &&
               reader.take(parseWeight(reader.word(1)), command.tenThousandths,
                           "VALUE must have at most 4 decimals, -99999.9999..99999.9999");
    case Verb::Stable:
        return reader.count(1, 1, "stable on|off") && reader.onOff(1, command.on);
    case Verb::Overload:
        return reader.count(1, 1, "overload on|off") && reader.onOff(1, command.on);
    case Verb::Underload:
        return reader.count(1, 1, "underload on|off") && reader.onOff(1, command.on);
    case Verb::Unit:
        return reader.count(1, 1, "unit g|mg|kg|ct|pcs") &&
               reader.take(unitNamed(emulator::lowered(reader.word(1))), command.unit,
                           "unknown unit " + reader.word(1));
    case Verb::Decimals:
        return reader.count(1, 1, "decimals 0..4") &&
               reader.take(decimalsIn(reader.word(1)), command.decimals, "expected 0 to 4");
    case Verb::Mode:
        return reader.count(1, 1, "mode continuous|request") &&
               reader.take(emulator::valueNamed(kModes, emulator::lowered(reader.word(1))),
                           command.continuous, "unknown mode " + reader.word(1));
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

constexpr emulator::Named<Verb> kVerbs[] = {
    {"weight", Verb::Weight},     {"stable", Verb::Stable},
    {"overload", Verb::Overload}, {"underload", Verb::Underload},
    {"unit", Verb::Unit},         {"decimals", Verb::Decimals},
    {"mode", Verb::Mode},         {"fault", Verb::Fault},
    {"status", Verb::Status},     {"quit", Verb::Quit}};

} // namespace

std::optional<Command> parseCommand(std::string_view line, std::string& error) {
    return emulator::parseControlLine<Command>(line, kVerbs, parseArguments, error);
}

} // namespace balance
