#include "HexFields.h"

#include "PubFunctions.h"
#include "Transponder.h"

#include <cctype>
#include <charconv>

namespace emulator {
namespace {

bool allHexDigits(std::string_view text) {
    for (const char character : text) {
        if (!std::isxdigit(static_cast<unsigned char>(character))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<wire::Bytes> parseHexBytes(std::string_view text, std::size_t maxBytes) {
    if (text.size() % 2 != 0 || text.size() / 2 > maxBytes || !allHexDigits(text)) {
        return std::nullopt;
    }
    const std::string bytes = HexToStr(std::string(text));
    return wire::Bytes(bytes.begin(), bytes.end());
}

std::optional<wire::Bytes> parseUid(std::string_view text) {
    if (text.size() != 2 * kUidLength) {
        return std::nullopt;
    }
    auto uid = parseHexBytes(text, kUidLength);
    if (!uid || uid->front() != kUidPrefix) {
        return std::nullopt;
    }
    return uid;
}

std::optional<std::uint8_t> parseHexByte(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 2 || !allHexDigits(text)) {
        return std::nullopt;
    }
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return static_cast<std::uint8_t>(value);
}

std::optional<int> parseDecimal(std::string_view text, int min, int max) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

std::string hexText(const wire::Bytes& bytes) {
    return StrToHex(std::string(bytes.begin(), bytes.end()));
}

} // namespace emulator
