#pragma once

#include <QString>

// The balance reading as text, as the balance terminal window last took it from the balance's
// reply; empty until it has read one. UI thread only.
extern QString WeightText;
