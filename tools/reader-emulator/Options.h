#pragma once

#include "CommonOptions.h"
#include "RateAndFrame.h"

#include <optional>
#include <string>
#include <vector>

namespace emulator {

// Where the virtual PC/SC reader driver listens for its card.
struct PcscEndpoint {
    std::string host = "localhost";
    std::uint16_t port = 35963;

    std::string text() const { return host + ":" + std::to_string(port); }
};

struct Options {
    CommonOptions common;
    std::optional<PcscEndpoint> pcsc;
    // --pcsc alone replaces the serial line; with --port as well the reader has both.
    bool serial = true;
    RateAndFrame line;
    std::uint8_t address = 0;
    std::string cataloguePath;
};

// The command line without the program name; nullopt with error set when it is wrong.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);
std::string usageText();

} // namespace emulator
