#pragma once

#include "BalanceReading.h"

#include <cstdint>
#include <string>
#include <string_view>

// The pieces the dialects' lines share, for the dialects' own files.
namespace balance::reading {

// The line without its CR LF, CR or LF.
std::string_view withoutLineEnd(std::string_view line);

void skipBlanks(std::string_view& text);

// Compares ASCII letters without their case.
bool sameIgnoringCase(std::string_view a, std::string_view b);

// Whether text starts with word followed by a blank or by nothing, and if so takes it off.
bool takeWord(std::string_view& text, std::string_view word);

// A signed value of at most 4 decimals, blanks allowed around the sign, then a unit of letters
// or none, and nothing else but blanks. Sets the value and unit; false for anything else.
bool readValue(std::string_view text, BalanceReading& reading);

// The value and unit of text as sent, blanks trimmed and each run of them made one, without a
// plus sign or blanks after the sign: "+    12.30 g  " is "12.30 g".
std::string asSent(std::string_view text);

// steps of 10^-decimals as a decimal with its point, no sign: (1234, 2) is "12.34".
std::string decimalText(std::uint64_t steps, int decimals);

// text right-aligned in width characters, or text itself when longer.
std::string rightAligned(std::string_view text, std::size_t width);

// The magnitude of a signed value.
std::uint64_t magnitude(std::int64_t value);

// A reading that shows only its state: an overload or underload carries no weight.
BalanceReading beyondRange(ReadingState state);

} // namespace balance::reading
