#include "Options.h"

#include "HexFields.h"

#include <cctype>

namespace emulator {
namespace {

constexpr int kMaxPortNumber = 256;

std::optional<std::string> portNumberOf(const std::string& port) {
    if (port.size() < 4 || std::toupper(static_cast<unsigned char>(port[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(port[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(port[2])) != 'M' || port[3] == '0' ||
        !parseDecimal(std::string_view(port).substr(3), 1, kMaxPortNumber)) {
        return std::nullopt;
    }
    return port.substr(3);
}

bool reject(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool setOption(Options& options, const std::string& name, const std::string& value,
               std::string& error) {
    if (value.empty()) {
        return reject(error, name + " needs a value");
    }
    if (name == "--port") {
        options.port = value;
        return portNumberOf(value) || reject(error, "--port takes COM1..COM256");
    }
    if (name == "--rate") {
        const auto rate = parseRate(value);
        options.line.baud = rate.value_or(0);
        return rate || reject(error, "--rate takes 1200..115200");
    }
    if (name == "--frame") {
        const auto frame = parseFrame(value);
        options.line.frame = frame.value_or(LineFrame::E81);
        return frame || reject(error, "--frame takes 8E1, 8N1 or 8O1");
    }
    if (name == "--address") {
        const auto address = parseDecimal(value, 0, 254);
        options.address = static_cast<std::uint8_t>(address.value_or(0));
        return address || reject(error, "--address takes 0..254");
    }
    if (name == "--dir") {
        options.directory = value;
    } else if (name == "--script") {
        options.scriptPath = value;
    } else if (name == "--control") {
        options.controlPath = value;
    } else if (name == "--catalogue") {
        options.cataloguePath = value;
    } else {
        return reject(error, "unknown option " + name);
    }
    return true;
}

} // namespace

std::string Options::linkPath() const {
    return directory + "/dosdevices/com" + portNumberOf(port).value_or("1");
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error) {
    Options options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& name = arguments[index];
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--no-delays") {
            options.delays = false;
        } else if (index + 1 >= arguments.size()) {
            error = "unknown option or missing value: " + name;
            return std::nullopt;
        } else if (!setOption(options, name, arguments[++index], error)) {
            return std::nullopt;
        }
    }
    return options;
}

std::string usageText() {
    return "usage: reader-emulator [--port COM1] [--dir PATH] [--rate 38400] [--frame 8E1]\n"
           "                       [--address 0] [--no-delays] [--catalogue FILE]\n"
           "                       [--script FILE] [--control SOCKET]\n";
}

} // namespace emulator
