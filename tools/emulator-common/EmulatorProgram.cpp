#include "EmulatorProgram.h"

#include "ControlServer.h"
#include "EmulatorLoop.h"
#include "LineSplitter.h"
#include "StationVersion.h"
#include "TextFile.h"

#include <cstdio>

namespace emulator {
namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;

// Runs the start-up script; an error names its line. Lines other than "ok" go to stdout.
bool runScript(EmulatorLoop& loop, const std::string& path, std::string& error) {
    const auto text = readTextFile(path, kMaxScriptBytes, error);
    if (!text) {
        return false;
    }
    LineSplitter splitter;
    splitter.feed(text->data(), text->size());
    int lineNumber = 0;
    while (auto piece = splitter.rest()) {
        ++lineNumber;
        const ControlReply reply = loop.control(piece->text);
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

int startFailure(const std::string& programName, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), message.c_str());
    return 2;
}

int showVersion(const std::string& programName) {
    std::printf("%s %s\n", programName.c_str(), station::version);
    return 0;
}

int runEmulator(const std::string& programName, const CommonOptions& options, LineDevice& device,
                PseudoTerminalLink* link) {
    std::string error;
    if (link != nullptr && !link->open(error)) {
        return startFailure(programName, error);
    }
    const auto removeLink = [link] {
        if (link != nullptr) {
            link->removeLink();
        }
    };
    ControlServer server;
    const bool socket = !options.controlPath.empty();
    if (socket && !server.listen(options.controlPath, error)) {
        removeLink();
        return startFailure(programName, error);
    }
    EmulatorLoop loop(programName, device, link, socket ? &server : nullptr, !socket);
    if (!options.scriptPath.empty() && !runScript(loop, options.scriptPath, error)) {
        removeLink();
        return startFailure(programName, error);
    }
    if (loop.quitRequested()) {
        removeLink();
        return 0;
    }
    std::puts(link != nullptr ? ("ready " + link->slavePath()).c_str() : "ready");
    std::fflush(stdout);
    return loop.run();
}

} // namespace emulator
