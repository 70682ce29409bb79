#pragma once

// A window program answers --help and --version (in the spellings of Qt's command-line parser)
// before it opens a window. Those draw nothing, so they get the offscreen platform and need no
// display. Called before the application object is made.
void answerHelpWithoutDisplay(int argc, char** argv);
