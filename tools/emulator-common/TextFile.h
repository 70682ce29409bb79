#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace emulator {

// The whole file, if it is there and not larger than maxBytes; nullopt with error set otherwise.
std::optional<std::string> readTextFile(const std::string& path, std::size_t maxBytes,
                                        std::string& error);

} // namespace emulator
