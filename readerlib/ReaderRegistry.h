#pragma once

#include <cstdint>
#include <functional>

namespace zqkrt_internal {

// A reader as the library keeps it. Reader commands copy what they need under the table's
// lock and talk to the port afterwards, holding the port instead.
struct Reader {
    std::int32_t portHandle = 0; // 0: not bound to a port
    bool logProtocol = false;
};

// Returns the new reader's handle, or 0 when the table is full.
std::int32_t addReader();

// Runs use with the reader of readerHandle under the table's lock; false when there is none.
bool withReader(std::int32_t readerHandle, const std::function<void(Reader&)>& use);

} // namespace zqkrt_internal
