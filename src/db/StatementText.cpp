#include "StatementText.h"

#include <QList>

namespace db {

namespace {

enum class Kind { Text, BracketName, Word, Space, Other, Unclosed };

struct Token {
    Kind kind;
    QString text; // the content of text and names, the characters themselves otherwise
};

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

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

QList<Token> tokens(const QString& statement) {
    QList<Token> result;
    qsizetype i = 0;
    while (i < statement.size()) {
        const QChar c = statement[i];
        if (c == u'"' || c == u'\'' || c == u'[') {
            QString content;
            const qsizetype end = scanQuoted(statement, i, c == u'[' ? QChar(u']') : c, content);
            if (end < 0) {
                result << Token{Kind::Unclosed, statement.mid(i)};
                break;
            }
            result << Token{c == u'[' ? Kind::BracketName : Kind::Text, content};
            i = end;
            continue;
        }
        const auto sameKind = [&](QChar next) {
            return isWordCharacter(c) ? isWordCharacter(next) : c.isSpace() && next.isSpace();
        };
        qsizetype end = i + 1;
        if (isWordCharacter(c) || c.isSpace()) {
            while (end < statement.size() && sameKind(statement[end]))
                ++end;
        }
        result << Token{isWordCharacter(c) ? Kind::Word
                        : c.isSpace()      ? Kind::Space
                                           : Kind::Other,
                        statement.mid(i, end - i)};
        i = end;
    }
    return result;
}

QString singleQuoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

bool isWord(const Token& token, QStringView word) {
    return token.kind == Kind::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isName(const Token& token) {
    return token.kind == Kind::BracketName || (token.kind == Kind::Word && !isWord(token, u"not"));
}

// The statement as PostgreSQL pieces, one per token, so that a Like can wrap what it follows.
class PostgresWriter {
public:
    explicit PostgresWriter(const QList<Token>& input) : input_(input) {}

    QString write() {
        for (qsizetype i = 0; i < input_.size(); ++i) {
            const Token& token = input_[i];
            if (isWord(token, u"like")) {
                i = writeLike(i);
                continue;
            }
            add(token, piece(token));
        }
        QString text;
        for (const QString& piece : pieces_)
            text += piece;
        return text;
    }

private:
    static QString piece(const Token& token) {
        switch (token.kind) {
        case Kind::Text:
            return singleQuoted(token.text);
        case Kind::BracketName:
            return quotedName(token.text);
        default:
            return token.text;
        }
    }

    void add(const Token& token, const QString& text) {
        kinds_ << token.kind;
        pieces_ << text;
    }

    qsizetype previousNonSpace(qsizetype before) const {
        qsizetype i = before - 1;
        while (i >= 0 && kinds_[i] == Kind::Space)
            --i;
        return i;
    }

    // The first piece of the dotted name that ends at `last` and is the whole left operand, or
    // -1 when there is none: after an operator such as || the operand is more than the name.
    qsizetype nameStart(qsizetype last) const {
        if (last < 0 || !isName(Token{kinds_[last], pieces_[last]}))
            return -1;
        qsizetype first = last;
        while (first >= 2 && pieces_[first - 1] == u"." &&
               isName(Token{kinds_[first - 2], pieces_[first - 2]}))
            first -= 2;
        const qsizetype before = previousNonSpace(first);
        const bool operandStartsThere = before < 0 || kinds_[before] == Kind::Word ||
                                        pieces_[before] == u"(" || pieces_[before] == u",";
        return operandStartsThere ? first : -1;
    }

    // Writes the Like at input index `at`; returns the last input index it consumed.
    qsizetype writeLike(qsizetype at) {
        qsizetype operandEnd = previousNonSpace(pieces_.size());
        if (operandEnd >= 0 && isWord(Token{kinds_[operandEnd], pieces_[operandEnd]}, u"not"))
            operandEnd = previousNonSpace(operandEnd);
        const qsizetype operandStart = nameStart(operandEnd);
        qsizetype pattern = at + 1;
        while (pattern < input_.size() && input_[pattern].kind == Kind::Space)
            ++pattern;
        if (pattern >= input_.size() || input_[pattern].kind != Kind::Text) {
            add(input_[at], QStringLiteral("ILIKE"));
            return at;
        }
        const QString text = singleQuoted(input_[pattern].text);
        if (operandStart < 0) {
            add(input_[at], QStringLiteral("ILIKE ") + text + QStringLiteral(" ESCAPE '' "));
            return pattern;
        }
        pieces_[operandStart].prepend(QStringLiteral("lower("));
        pieces_[operandEnd].append(u')');
        add(input_[at], QStringLiteral("LIKE lower(") + text + QStringLiteral(") ESCAPE '' "));
        return pattern;
    }

    const QList<Token>& input_;
    QList<Kind> kinds_;
    QStringList pieces_;
};

QString sqliteText(const QList<Token>& input) {
    QString text;
    for (const Token& token : input) {
        switch (token.kind) {
        case Kind::Text:
            text += singleQuoted(token.text);
            break;
        case Kind::BracketName:
            text += u'[' + token.text + u']';
            break;
        default:
            text += token.text;
        }
    }
    return text;
}

} // namespace

QString sqliteStatement(const QString& statement) {
    return sqliteText(tokens(statement));
}

QString postgresStatement(const QString& statement) {
    return PostgresWriter(tokens(statement)).write();
}

QString spellingIn(const QString& statement, const QString& name) {
    for (const Token& token : tokens(statement)) {
        if (isWord(token, name))
            return token.text;
    }
    return name;
}

QString quotedName(const QString& name) {
    QString escaped = name;
    return u'"' + escaped.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace db
