#include "Options.h"

#include "HexFields.h"

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

} // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error) {
    Options options;
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
           "                       [--script FILE] [--control SOCKET]\n";
}

} // namespace emulator
