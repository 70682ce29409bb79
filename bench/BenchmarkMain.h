#pragma once

// The main of a benchmark whose set-up may fail: runs measure, which registers the benchmarks and
// runs them, in a QCoreApplication; a std::exception ends it with its message after the program's
// name. The exit code.
int runMeasured(int argc, char** argv, const char* programName, void (*measure)());
