#include "ToolMain.h"

#include "StationVersion.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <optional>

int runTool(int& argc, char* argv[], const ToolUsage& usage,
            const std::function<int(const QCommandLineParser&)>& work) {
    // A tool that draws makes its own QGuiApplication first.
    std::optional<QCoreApplication> ownApp;
    if (QCoreApplication::instance() == nullptr)
        ownApp.emplace(argc, argv);
    QCoreApplication& app = *QCoreApplication::instance();
    QCoreApplication::setApplicationName(usage.name);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(station::version));

    QCommandLineParser parser;
    parser.setApplicationDescription(usage.description);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(usage.options);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(1);

    try {
        return work(parser);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(usage.name), error.what());
        return 1;
    }
}
