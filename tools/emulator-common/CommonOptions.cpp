#include "CommonOptions.h"

#include <cctype>
#include <charconv>

namespace emulator {
namespace {

constexpr int kMaxPortNumber = 256;

// The digits of "COMn", n in 1..kMaxPortNumber without leading zeros; nullopt otherwise.
std::optional<std::string> portNumberOf(const std::string& port) {
    if (port.size() < 4 || std::toupper(static_cast<unsigned char>(port[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(port[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(port[2])) != 'M' || port[3] == '0') {
        return std::nullopt;
    }
    int number = 0;
    const char* end = port.data() + port.size();
    const auto [stop, failure] = std::from_chars(port.data() + 3, end, number);
    if (failure != std::errc() || stop != end || number < 1 || number > kMaxPortNumber) {
        return std::nullopt;
    }
    return port.substr(3);
}

bool setOption(CommonOptions& options, const std::string& name, const std::string& value,
               const ExtraOption& extra, std::string& error) {
    if (value.empty()) {
        error = name + " needs a value";
        return false;
    }
    if (name == "--port") {
        options.port = value;
        if (!portNumberOf(value)) {
            error = "--port takes COM1..COM256";
            return false;
        }
    } else if (name == "--dir") {
        options.directory = value;
    } else if (name == "--script") {
        options.scriptPath = value;
    } else if (name == "--control") {
        options.controlPath = value;
    } else if (extra) {
        return extra(name, value, error);
    } else {
        error = "unknown option " + name;
        return false;
    }
    return true;
}

} // namespace

std::string CommonOptions::linkPath() const {
    return directory + "/dosdevices/com" + portNumberOf(port).value_or("1");
}

std::optional<CommonOptions> parseCommonOptions(const std::vector<std::string>& arguments,
                                                const ExtraOption& extra, std::string& error) {
    CommonOptions options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& name = arguments[index];
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--no-delays") {
            options.delays = false;
        } else if (index + 1 >= arguments.size()) {
            error = "unknown option or missing value: " + name;
            return std::nullopt;
        } else if (!setOption(options, name, arguments[++index], extra, error)) {
            return std::nullopt;
        }
    }
    return options;
}

} // namespace emulator
