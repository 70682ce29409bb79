#include "HelpWithoutDisplay.h"

#include <cstdlib>
#include <string_view>

void answerHelpWithoutDisplay(int argc, char** argv) {
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        for (const std::string_view option :
             {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (argument == option) {
                ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
                return;
            }
    }
}
