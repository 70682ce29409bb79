#include "Catalogue.h"
#include "ControlServer.h"
#include "Emulator.h"
#include "LineSplitter.h"
#include "Options.h"
#include "PseudoTerminalLink.h"
#include "Service.h"
#include "TextFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;

int fail(const std::string& message) {
    std::fprintf(stderr, "reader-emulator: %s\n", message.c_str());
    return 2;
}

// Runs the start-up script; an error names its line. Lines other than "ok" go to stdout.
bool runScript(emulator::Service& service, const std::string& path, std::string& error) {
    const auto text = emulator::readTextFile(path, kMaxScriptBytes, error);
    if (!text) {
        return false;
    }
    emulator::LineSplitter splitter;
    splitter.feed(text->data(), text->size());
    int lineNumber = 0;
    while (auto piece = splitter.rest()) {
        ++lineNumber;
        const emulator::ControlReply reply = service.control(piece->text);
        if (piece->overlong || !reply.error.empty()) {
            error = path + " line " + std::to_string(lineNumber) + ": " +
                    (piece->overlong ? "line too long" : reply.error);
            return false;
        }
        for (const std::string& line : reply.lines) {
            std::printf("%s\n", line.c_str());
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options =
        emulator::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fputs(emulator::usageText().c_str(), stderr);
        return fail(error);
    }
    if (options->help) {
        std::fputs(emulator::usageText().c_str(), stdout);
        return 0;
    }

    emulator::Catalogue catalogue;
    if (!options->cataloguePath.empty()) {
        const auto text =
            emulator::readTextFile(options->cataloguePath, emulator::kMaxCatalogueBytes, error);
        if (!text) {
            return fail(error);
        }
        catalogue = emulator::parseCatalogue(*text, error);
        if (!error.empty()) {
            return fail(options->cataloguePath + ": " + error);
        }
    }

    emulator::Emulator reader(options->line, options->address, options->delays,
                              std::move(catalogue));
    emulator::PseudoTerminalLink link(options->linkPath());
    if (!link.open(error)) {
        return fail(error);
    }
    emulator::ControlServer server;
    if (!options->controlPath.empty() && !server.listen(options->controlPath, error)) {
        link.removeLink();
        return fail(error);
    }
    emulator::Service service(reader, link, options->controlPath.empty() ? nullptr : &server,
                              options->controlPath.empty());
    reader.setStatusSource([&] {
        const auto quiet = service.quietBeforeLastRequestMs();
        return std::vector<std::string>{
            "port " + options->port + " " + link.linkPath() + " -> " + link.slavePath(),
            "host " + emulator::lineText(link.hostLine()),
            "quiet " + (quiet ? std::to_string(*quiet) : std::string("none"))};
    });
    if (!options->scriptPath.empty() && !runScript(service, options->scriptPath, error)) {
        link.removeLink();
        return fail(error);
    }
    if (service.quitRequested()) {
        link.removeLink();
        return 0;
    }
    std::printf("ready %s\n", link.slavePath().c_str());
    std::fflush(stdout);
    return service.run();
}
