#include "ToolRun.h"

#include <QCoreApplication>
#include <QProcess>

ToolRun runTool(const QString& name, const QStringList& arguments, const QString& workingFolder) {
    QProcess tool;
    if (!workingFolder.isEmpty())
        tool.setWorkingDirectory(workingFolder);
    tool.start(QCoreApplication::applicationDirPath() + u'/' + name, arguments);
    ToolRun run;
    if (!tool.waitForFinished(240000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.output = QString::fromUtf8(tool.readAllStandardOutput());
    run.errors = QString::fromUtf8(tool.readAllStandardError());
    return run;
}
