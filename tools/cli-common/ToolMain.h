#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <functional>

// What a command-line tool shows of itself in --help.
struct ToolUsage {
    QString name;
    QString description;
    QList<QCommandLineOption> options;
};

// Runs a command-line tool in the application the caller made, else in a QCoreApplication of its
// own: --help shows the usage, and so does a positional argument, which
// fails; --version shows the project's version. Otherwise the work runs on the parsed options and
// gives the exit status; an exception it throws ends the tool with "name: reason" on standard error
// and status 1.
int runTool(int& argc, char* argv[], const ToolUsage& usage,
            const std::function<int(const QCommandLineParser&)>& work);
