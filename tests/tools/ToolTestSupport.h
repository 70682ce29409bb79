#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What the tests of the database tools share: running a tool of the bin folder and the rows of a
// table in a form both engines give alike.

struct ToolRun {
    int exitCode = -1; // -1: it did not end by itself
    QString output;
    QString errors;
};

ToolRun runTool(const QString& name, const QStringList& arguments,
                const QString& workingFolder = QString());

// Every row of each of the four tables, sorted, each row's values joined by '|'; NULL as <NULL>
// and 性別 as yes or no, so that a file and a server holding the same rows give the same lists.
QList<QStringList> prescriptionRows(const QSqlDatabase& database);
