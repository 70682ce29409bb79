#include "BenchmarkMain.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <exception>

int runMeasured(int argc, char** argv, const char* programName, void (*measure)()) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        measure();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", programName, error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
