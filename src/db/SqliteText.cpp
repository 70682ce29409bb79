#include "SqliteText.h"

namespace db {

namespace {

// Copies the literal or name that opens at `start` up to its closing character; a doubled
// closing character stands for itself. Returns the index after the close, or -1 when unclosed.
qsizetype scanQuoted(const QString& text, qsizetype start, QChar close, QString& content) {
    for (qsizetype i = start + 1; i < text.size(); ++i) {
        if (text[i] != close) {
            content += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == close && close != u']') {
            content += close;
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

QString singleQuoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

QString toSqliteLiterals(const QString& statement) {
    QString out;
    out.reserve(statement.size() + 8);
    qsizetype i = 0;
    while (i < statement.size()) {
        const QChar c = statement[i];
        if (c != u'"' && c != u'\'' && c != u'[') {
            out += c;
            ++i;
            continue;
        }
        QString content;
        const qsizetype end = scanQuoted(statement, i, c == u'[' ? QChar(u']') : c, content);
        if (end < 0) {
            // Unclosed: leave it for the engine to reject.
            out += statement.mid(i);
            break;
        }
        out += c == u'"' ? singleQuoted(content) : statement.mid(i, end - i);
        i = end;
    }
    return out;
}

QString quotedSqliteName(const QString& name) {
    QString escaped = name;
    return u'"' + escaped.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace db
