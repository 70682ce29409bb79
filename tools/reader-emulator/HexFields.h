#pragma once

#include "WireFrame.h"

#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// Strict hex text for control commands and the catalogue: an even number of digits, nothing
// else. nullopt for anything else, or for more than maxBytes bytes.
std::optional<wire::Bytes> parseHexBytes(std::string_view text, std::size_t maxBytes);
// A UID as people write it: 16 digits, 0xE0 first.
std::optional<wire::Bytes> parseUid(std::string_view text);
// A byte in hex: one or two digits, with or without "0x".
std::optional<std::uint8_t> parseHexByte(std::string_view text);
// A decimal number within min..max.
std::optional<int> parseDecimal(std::string_view text, int min, int max);

std::string hexText(const wire::Bytes& bytes);

} // namespace emulator
