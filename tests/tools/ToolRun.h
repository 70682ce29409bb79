#pragma once

#include <QString>
#include <QStringList>

// A program of the bin folder run to its end, as a user runs it from a shell.
struct ToolRun {
    int exitCode = -1; // -1: it did not end by itself
    QString output;
    QString errors;
};

ToolRun runTool(const QString& name, const QStringList& arguments,
                const QString& workingFolder = QString());
