#pragma once

#include "LineSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace emulator {

struct Options {
    std::string port = "COM1";
    std::string directory = ".";
    Line line;
    std::uint8_t address = 0;
    bool delays = true;
    std::string scriptPath;
    std::string controlPath;
    std::string cataloguePath;
    bool help = false;

    // Where the station looks for the port: <directory>/dosdevices/com<N>.
    std::string linkPath() const;
};

// The command line without the program name; nullopt with error set when it is wrong.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);
std::string usageText();

} // namespace emulator
