#pragma once

#include "CommonOptions.h"
#include "LineSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace emulator {

struct Options {
    CommonOptions common;
    Line line;
    std::uint8_t address = 0;
    std::string cataloguePath;
};

// The command line without the program name; nullopt with error set when it is wrong.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);
std::string usageText();

} // namespace emulator
