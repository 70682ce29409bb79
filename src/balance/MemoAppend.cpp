#include "MemoAppend.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

void appendKeepingNewest(QPlainTextEdit& memo, const QString& text, int limit) {
    QTextDocument* document = memo.document();
    if (document->isUndoRedoEnabled()) {
        document->setUndoRedoEnabled(false);
    }
    // A cursor of its own, so the user's caret and selection stay where they are.
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    // The document counts one closing paragraph separator beyond the text.
    const int excess = document->characterCount() - 1 - limit;
    if (excess > 0) {
        cursor.setPosition(0);
        cursor.setPosition(excess, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}
