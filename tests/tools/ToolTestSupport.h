#pragma once

#include "DatabaseConnections.h"
#include "ToolRun.h"

#include <QStringList>

// What the tests of the database tools share: running a tool of the bin folder and the rows of a
// table in a form both engines give alike.

// Every row of each of the four tables, sorted, each row's values joined by '|'; NULL as <NULL>
// and 性別 as yes or no, so that a file and a server holding the same rows give the same lists.
QList<QStringList> prescriptionRows(db::TADOConnection& connection);
// The same for the audit table, its times as the instants they name in UTC.
QStringList auditRows(db::TADOConnection& connection);
