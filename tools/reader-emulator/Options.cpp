#include "Options.h"

#include "HexFields.h"

#include <algorithm>

namespace emulator {
namespace {

bool reject(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool setReaderOption(Options& options, const std::string& name, const std::string& value,
                     std::string& error) {
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
    if (name == "--catalogue") {
        options.cataloguePath = value;
        return true;
    }
    return reject(error, "unknown option " + name);
}

std::optional<PcscEndpoint> parsePcscEndpoint(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return std::nullopt;
    }
    const auto port = parseDecimal(std::string_view(text).substr(colon + 1), 1, 65535);
    if (!port) {
        return std::nullopt;
    }
    return PcscEndpoint{text.substr(0, colon), static_cast<std::uint16_t>(*port)};
}

// Takes --pcsc and its optional HOST:PORT out of the arguments, which the common parser could
// not tell from an option with a value.
bool takePcscOption(std::vector<std::string>& arguments, Options& options, std::string& error) {
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        if (arguments[index] != "--pcsc") {
            continue;
        }
        std::size_t taken = 1;
        options.pcsc = PcscEndpoint{};
        if (index + 1 < arguments.size() && arguments[index + 1].rfind("--", 0) != 0) {
            options.pcsc = parsePcscEndpoint(arguments[index + 1]);
            if (!options.pcsc) {
                return reject(error, "--pcsc takes HOST:PORT, the port 1..65535");
            }
            taken = 2;
        }
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(index),
                        arguments.begin() + static_cast<std::ptrdiff_t>(index + taken));
        --index;
    }
    const bool portGiven =
        std::find(arguments.begin(), arguments.end(), "--port") != arguments.end();
    options.serial = !options.pcsc || portGiven;
    return true;
}

} // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& given, std::string& error) {
    Options options;
    std::vector<std::string> arguments = given;
    if (!takePcscOption(arguments, options, error)) {
        return std::nullopt;
    }
    const auto common = parseCommonOptions(
        arguments,
        [&options](const std::string& name, const std::string& value, std::string& failure) {
            return setReaderOption(options, name, value, failure);
        },
        error);
    if (!common) {
        return std::nullopt;
    }
    options.common = *common;
    return options;
}

std::string usageText() {
    return "usage: reader-emulator [--port COM1] [--dir PATH] [--rate 38400] [--frame 8E1]\n"
           "                       [--address 0] [--no-delays] [--catalogue FILE]\n"
           "                       [--script FILE] [--control SOCKET]\n"
           "                       [--pcsc [HOST:PORT]]   (alone: no serial line)\n"
           "       reader-emulator --help | --version\n";
}

} // namespace emulator
