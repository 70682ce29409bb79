#pragma once

#include <QString>

class QPlainTextEdit;

// Appends text at the end of memo and drops its oldest characters beyond characterLimit and its
// oldest lines beyond lineLimit. Costs the new text and the dropped part only, never a rewrite
// of the whole; keeps no undo history, which would hold every piece ever appended, and has no
// line laid out for a cursor, since the document would keep that layout as long as the line.
void appendKeepingNewest(QPlainTextEdit& memo, const QString& text, int characterLimit,
                         int lineLimit);
