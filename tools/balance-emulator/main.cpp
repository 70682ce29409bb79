#include "Balance.h"
#include "BalanceSide.h"
#include "CommonOptions.h"
#include "EmulatorProgram.h"
#include "PseudoTerminalLink.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "balance-emulator";
constexpr const char* kUsage = "usage: balance-emulator [--port COM1] [--dir PATH] [--no-delays]\n"
                               "                        [--script FILE] [--control SOCKET]\n"
                               "                        [--dialect NAME]\n"
                               "       balance-emulator --help | --version\n";

// --dialect, the one option of the balance's own.
emulator::ExtraOption dialectOption(const balance::BalanceDialect*& dialect) {
    return [&dialect](const std::string& name, const std::string& value, std::string& error) {
        if (name != "--dialect") {
            error = "unknown option " + name;
            return false;
        }
        dialect = balance::dialectNamed(value);
        if (dialect == nullptr) {
            error = "--dialect takes";
            for (const balance::BalanceDialect* known : balance::balanceDialects()) {
                error += " " + std::string(known->name);
            }
        }
        return dialect != nullptr;
    };
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const balance::BalanceDialect* dialect = &balance::kStationDialect;
    const auto options = emulator::parseCommonOptions(
        std::vector<std::string>(argv + 1, argv + argc), dialectOption(dialect), error);
    if (!options) {
        std::fputs(kUsage, stderr);
        return emulator::startFailure(kProgram, error);
    }
    if (options->version) {
        return emulator::showVersion(kProgram);
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    balance::Balance balance(*dialect);
    balance::BalanceSide line(balance, options->delays);
    emulator::PseudoTerminalLink link(options->linkPath());
    balance.setStatusSource([&] {
        const emulator::HostLine host = link.hostLine();
        return std::vector<std::string>{link.portLine(options->port),
                                        "host " + std::to_string(host.baud) + " parity " +
                                            emulator::parityName(host.parity)};
    });
    return emulator::runEmulator(kProgram, *options, line, &link);
}
