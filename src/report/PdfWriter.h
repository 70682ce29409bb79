#pragma once

#include "DispensingReport.h"

#include <QByteArray>

namespace report {

// The report's HTML page laid out by Qt's own text engine on A4 pages, as a PDF document.
QByteArray pdfOf(const DispensingReport& report);

} // namespace report
