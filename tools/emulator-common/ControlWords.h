#pragma once

#include "NameTable.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

// The words of a control line, separated by blanks.
std::vector<std::string> splitWords(std::string_view line);
std::string lowered(std::string text);
// "on" or "off" in any case.
std::optional<bool> parseOnOff(const std::string& word);

// Takes the arguments of one control verb (word 0); false with error set when they are wrong.
class ArgumentReader {
public:
    ArgumentReader(const std::vector<std::string>& words, std::string& error)
        : words_(words), error_(error) {}

    bool count(std::size_t minimum, std::size_t maximum, const std::string& usage) {
        const std::size_t arguments = words_.size() - 1;
        if (arguments < minimum || arguments > maximum) {
            return fail("usage: " + usage);
        }
        return true;
    }
    bool has(std::size_t index) const { return index < words_.size(); }
    bool onOff(std::size_t index, bool& out) {
        return take(parseOnOff(words_[index]), out, "expected on or off");
    }
    template <typename Value, typename Parsed>
    bool take(const std::optional<Parsed>& parsed, Value& out, const std::string& message) {
        if (!parsed) {
            return fail(message);
        }
        out = static_cast<Value>(*parsed);
        return true;
    }
    const std::string& word(std::size_t index) const { return words_[index]; }
    bool fail(const std::string& message) {
        error_ = message;
        return false;
    }

private:
    const std::vector<std::string>& words_;
    std::string& error_;
};

// One control line: its first word a verb of the table in any case, the rest taken by
// parseArguments(ArgumentReader&, Command&). Blank lines and # comments give a Command as it is
// made, whose verb asks nothing. nullopt with error set for anything that is not a command with
// valid arguments.
template <typename Command, typename Verb, std::size_t Count, typename ParseArguments>
std::optional<Command> parseControlLine(std::string_view line, const NameTable<Verb, Count>& verbs,
                                        ParseArguments parseArguments, std::string& error) {
    error.clear();
    const std::vector<std::string> words = splitWords(line);
    Command command;
    if (words.empty() || words[0][0] == '#') {
        return command;
    }
    const auto verb = valueNamed(verbs, lowered(words[0]));
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

} // namespace emulator
