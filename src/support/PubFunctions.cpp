#include "PubFunctions.h"

namespace {

constexpr char kInvalidByte = '#';
constexpr char kUpperDigits[] = "0123456789ABCDEF";

// Value 0..15 of a hex digit, -1 for anything else.
int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Value of the two digits high, low; -1 when either is no digit.
int PairValue(char high, char low) {
    const int h = DigitValue(high);
    const int l = DigitValue(low);
    if (h < 0 || l < 0)
        return -1;
    return h * 16 + l;
}

} // namespace

int HexPairToInt(const std::string& text) {
    if (text.empty())
        return 0;
    if (text.size() != 2)
        return -1;
    return PairValue(text[0], text[1]);
}

char HexToChar(const std::string& text) {
    int value = -1;
    if (text.size() == 1)
        value = PairValue('0', text[0]);
    else if (text.size() == 2)
        value = PairValue(text[0], text[1]);
    return value < 0 ? kInvalidByte : static_cast<char>(value);
}

std::string HexToStr(const std::string& hex) {
    if (hex.size() == 1)
        return std::string(1, HexToChar(hex));
    if (hex.size() % 2 != 0)
        return std::string(1, kInvalidByte);
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(HexToChar(hex.substr(i, 2)));
    return bytes;
}

std::string ByteToHex(unsigned char byte) {
    return {kUpperDigits[byte >> 4], kUpperDigits[byte & 0x0F]};
}

std::string BufToHex(const void* data, int count) {
    if (data == nullptr || count <= 0)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string hex;
    hex.reserve(static_cast<std::size_t>(count) * 2);
    for (int i = 0; i < count; ++i)
        hex += ByteToHex(bytes[i]);
    return hex;
}

std::string StrToHex(const std::string& bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes)
        hex += ByteToHex(static_cast<unsigned char>(c));
    return hex;
}
