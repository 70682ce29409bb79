#pragma once

#include "DispensingReport.h"

#include <QString>

namespace report {

// The report as one self-contained HTML page: the figures, the chart (a PNG in a data: URL) and
// the orders with their lines. Browsers, the station's report window and the PDF show this page.
QString htmlOf(const DispensingReport& report);

} // namespace report
