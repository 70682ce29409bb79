#pragma once

#include "DispensingReport.h"

#include <QByteArray>

namespace report {

// The report's lines as CSV for a spreadsheet: UTF-8 with a byte-order mark, one heading row
// and then one row per line (an order without lines gets one row), quoted as RFC 4180 wants.
// One table of rows is what a spreadsheet filters, sorts and pivots; the per-station and per-user
// figures are pivots of these rows. A cell that a spreadsheet would take for a formula is led by
// an apostrophe.
QByteArray csvOf(const DispensingReport& report);

} // namespace report
