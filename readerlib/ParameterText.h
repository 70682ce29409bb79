#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Text rules shared by the parameters of both reader libraries.
namespace readerlib {

// Compares parameter names regardless of ASCII case.
bool sameName(std::string_view a, std::string_view b);

// Reads decimal digits only (no sign, no blanks) as a number within minimum..maximum.
std::optional<std::int32_t> parseDecimal(std::string_view text, std::int32_t minimum,
                                         std::int32_t maximum);

// Copies text and its NUL into a buffer of size bytes when they fit. Otherwise leaves an empty
// string (nothing when size is 0) and returns false.
bool copyValue(std::string_view text, char* buffer, std::size_t size);

} // namespace readerlib
