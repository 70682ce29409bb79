#include "SqlScript.h"

#include "SqlRun.h"

#include <QFile>

namespace dbtools {

namespace {

// Index just past the construct that starts at `at`, or `at` itself when none starts there.
qsizetype skipQuotedOrComment(const QString& text, qsizetype at) {
    const QChar c = text.at(at);
    const qsizetype size = text.size();
    if (c == u'\'' || c == u'"' || c == u'`') {
        const qsizetype close = text.indexOf(c, at + 1);
        return close < 0 ? size : close + 1; // a doubled quote is two adjacent literals here
    }
    if (c == u'[') {
        const qsizetype close = text.indexOf(u']', at + 1);
        return close < 0 ? size : close + 1;
    }
    if (c == u'-' && at + 1 < size && text.at(at + 1) == u'-') {
        const qsizetype end = text.indexOf(u'\n', at + 2);
        return end < 0 ? size : end + 1;
    }
    if (c == u'/' && at + 1 < size && text.at(at + 1) == u'*') {
        const qsizetype end = text.indexOf(QStringLiteral("*/"), at + 2);
        return end < 0 ? size : end + 2;
    }
    return at;
}

bool holdsCode(const QString& statement) {
    for (qsizetype at = 0; at < statement.size();) {
        const qsizetype next = skipQuotedOrComment(statement, at);
        if (next != at) {
            if (statement.at(at) != u'-' && statement.at(at) != u'/')
                return true; // a quoted name or literal
            at = next;
        } else if (!statement.at(at).isSpace()) {
            return true;
        } else {
            ++at;
        }
    }
    return false;
}

} // namespace

QStringList splitSqlScript(const QString& script) {
    QStringList statements;
    qsizetype start = 0;
    const auto take = [&](qsizetype end) {
        const QString statement = script.mid(start, end - start).trimmed();
        if (holdsCode(statement))
            statements.append(statement);
    };
    for (qsizetype at = 0; at < script.size();) {
        const qsizetype next = skipQuotedOrComment(script, at);
        if (next != at) {
            at = next;
        } else if (script.at(at) == u';') {
            take(at);
            start = ++at;
        } else {
            ++at;
        }
    }
    take(script.size());
    return statements;
}

QStringList readSqlScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return splitSqlScript(QString::fromUtf8(file.readAll()));
}

} // namespace dbtools
