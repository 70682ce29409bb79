#include "Catalogue.h"
#include "Emulator.h"
#include "EmulatorProgram.h"
#include "Options.h"
#include "PcscFace.h"
#include "PseudoTerminalLink.h"
#include "ReaderDevice.h"
#include "ReaderLine.h"
#include "TextFile.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "reader-emulator";

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options =
        emulator::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fputs(emulator::usageText().c_str(), stderr);
        return emulator::startFailure(kProgram, error);
    }
    if (options->common.version) {
        return emulator::showVersion(kProgram);
    }
    if (options->common.help) {
        std::fputs(emulator::usageText().c_str(), stdout);
        return 0;
    }

    emulator::Catalogue catalogue;
    if (!options->cataloguePath.empty()) {
        const auto text =
            emulator::readTextFile(options->cataloguePath, emulator::kMaxCatalogueBytes, error);
        if (!text) {
            return emulator::startFailure(kProgram, error);
        }
        catalogue = emulator::parseCatalogue(*text, error);
        if (!error.empty()) {
            return emulator::startFailure(kProgram, options->cataloguePath + ": " + error);
        }
    }

    emulator::Emulator reader(options->line, options->address, options->common.delays,
                              std::move(catalogue));
    std::unique_ptr<emulator::PcscFace> pcsc;
    if (options->pcsc) {
        const auto address =
            emulator::resolveVpcdAddress(options->pcsc->host, options->pcsc->port, error);
        if (!address) {
            return emulator::startFailure(kProgram, "--pcsc: " + error);
        }
        pcsc = std::make_unique<emulator::PcscFace>(reader, *address, options->pcsc->text());
    }
    emulator::ReaderLine line(reader);
    emulator::ReaderDevice device(line, pcsc.get());
    emulator::PseudoTerminalLink link(options->common.linkPath());
    reader.setStatusSource([&] {
        std::vector<std::string> lines;
        if (options->serial) {
            const auto quiet = line.quietBeforeLastRequestMs();
            lines = {link.portLine(options->common.port),
                     "host " + emulator::lineText(emulator::lineOf(link.hostLine())),
                     "quiet " + (quiet ? std::to_string(*quiet) : std::string("none"))};
        }
        if (pcsc) {
            lines.push_back(pcsc->statusLine());
        }
        return lines;
    });
    return emulator::runEmulator(kProgram, options->common, device,
                                 options->serial ? &link : nullptr);
}
