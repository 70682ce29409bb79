#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace emulator {

// The options every emulator takes, with the same meaning in each.
struct CommonOptions {
    std::string port = "COM1";
    std::string directory = ".";
    bool delays = true;
    std::string scriptPath;
    std::string controlPath;
    bool help = false;
    bool version = false;

    // Where the station looks for the port: <directory>/dosdevices/com<N>.
    std::string linkPath() const;
};

// Takes an option of the program's own, with its value; false with error set when the name is
// unknown or the value wrong.
using ExtraOption =
    std::function<bool(const std::string& name, const std::string& value, std::string& error)>;

// The command line without the program name; nullopt with error set when it is wrong.
std::optional<CommonOptions> parseCommonOptions(const std::vector<std::string>& arguments,
                                                const ExtraOption& extra, std::string& error);

} // namespace emulator
