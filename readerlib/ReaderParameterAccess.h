#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zqkrt_internal {

// The named parameters of a reader (handle > 0) and of the library (handle 0).
// Both return a ZQKRT status; a read may succeed with the positive ZQKRT_NOT_LOCKED.
std::int32_t readReaderParameter(std::int32_t readerHandle, std::string_view name,
                                 std::string& value);
std::int32_t writeReaderParameter(std::int32_t readerHandle, std::string_view name,
                                  std::string_view value);

} // namespace zqkrt_internal
