#include "ControlWords.h"

#include <algorithm>
#include <cctype>

namespace emulator {

std::vector<std::string> splitWords(std::string_view line) {
    std::vector<std::string> result;
    std::size_t position = 0;
    while (position < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t\r\n", position);
        if (begin == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r\n", begin), line.size());
        result.emplace_back(line.substr(begin, end - begin));
        position = end;
    }
    return result;
}

std::string lowered(std::string text) {
    for (char& character : text) {
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    return text;
}

std::optional<bool> parseOnOff(const std::string& word) {
    const std::string value = lowered(word);
    if (value == "on") {
        return true;
    }
    if (value == "off") {
        return false;
    }
    return std::nullopt;
}

} // namespace emulator
