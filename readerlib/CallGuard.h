#pragma once

#include <cstdint>

namespace readerlib {

// Runs the body of a C function. A C caller cannot take an exception, so any that leaves body,
// std::bad_alloc included, becomes the status failure.
template <typename Body> std::int32_t guardedCall(std::int32_t failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace readerlib
