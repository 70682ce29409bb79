#pragma once

#include <QString>

class QPlainTextEdit;

// Appends text at the end of memo and drops its oldest characters beyond limit. Costs the new
// text and the dropped part only, never a rewrite of the whole; keeps no undo history, which
// would hold every piece ever appended.
void appendKeepingNewest(QPlainTextEdit& memo, const QString& text, int limit);
