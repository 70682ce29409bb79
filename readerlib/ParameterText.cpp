#include "ParameterText.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace readerlib {
namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::optional<std::int32_t> parseDecimal(std::string_view text, std::int32_t minimum,
                                         std::int32_t maximum) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < minimum ||
        number > maximum) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

bool copyValue(std::string_view text, char* buffer, std::size_t size) {
    if (text.size() >= size) {
        if (size > 0) {
            buffer[0] = '\0';
        }
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

} // namespace readerlib
