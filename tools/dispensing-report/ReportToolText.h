#pragma once

#include <QCoreApplication>

// The tool's own words, in the desk's language once the station's translation is installed.
class ReportToolText {
    Q_DECLARE_TR_FUNCTIONS(DispensingReportTool)
};
