#pragma once

class QCoreApplication;

// The station takes no arguments of its own: --help and --version print and end the program,
// anything else prints the usage and ends it with status 1. Qt's own options (-platform,
// -display, ...) are taken by the application object before this. Called before any window.
void processStationCommandLine(const QCoreApplication& app);
