#include "ControlClient.h"
#include "EmulatorProgram.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kNoAnswer = 2;

constexpr const char* kUsage = "usage: emulator-control SOCKET COMMAND [WORDS...]\n"
                               "       emulator-control --help | --version\n"
                               "  sends one control command to an emulator and prints its answer;\n"
                               "  exit code 0 on ok, 1 on error, 2 when the emulator cannot be "
                               "reached\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return kOk;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        return emulator::showVersion("emulator-control");
    }
    if (argc < 3) {
        std::fputs(kUsage, stderr);
        return kNoAnswer;
    }
    std::string command = argv[2];
    for (int index = 3; index < argc; ++index) {
        command += std::string(" ") + argv[index];
    }

    const emulator::ControlAnswer answer = emulator::ControlClient(argv[1]).send(command);
    if (answer.outcome == emulator::ControlAnswer::Outcome::NoAnswer) {
        std::fprintf(stderr, "emulator-control: %s\n", answer.problem.c_str());
        return kNoAnswer;
    }
    for (const std::string& line : answer.lines) {
        std::printf("%s\n", line.c_str());
    }
    return answer.ok() ? kOk : kRefused;
}
