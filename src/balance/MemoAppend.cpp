#include "MemoAppend.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

void appendKeepingNewest(QPlainTextEdit& memo, const QString& text, int characterLimit,
                         int lineLimit) {
    QTextDocument* document = memo.document();
    if (document->isUndoRedoEnabled()) {
        document->setUndoRedoEnabled(false);
    }
    // A cursor of its own, so the user's caret and selection stay where they are. Set, not moved,
    // and inside an edit block, it does not place itself on screen, which would lay out its line;
    // two blocks, so that each change notification covers only the lines it touched.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(document->characterCount() - 1);
    cursor.insertText(text);
    cursor.endEditBlock();
    // The document counts one closing paragraph separator beyond the text.
    int cut = document->characterCount() - 1 - characterLimit;
    const int excessLines = document->blockCount() - lineLimit;
    if (excessLines > 0) {
        cut = std::max(cut, document->findBlockByNumber(excessLines).position());
    }
    if (cut > 0) {
        cursor.beginEditBlock();
        cursor.setPosition(0);
        cursor.setPosition(cut, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.endEditBlock();
    }
}
