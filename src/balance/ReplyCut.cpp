#include "ReplyCut.h"

#include <string>

namespace balance {

QByteArray weightLine(const QByteArray& received, bool startsLine) {
    QByteArray last;
    bool anyLineEnd = false;
    bool lineStarted = startsLine;
    qsizetype start = 0;
    for (qsizetype i = 0; i < received.size(); ++i) {
        if (!isLineEnd(received[i])) {
            continue;
        }
        if (received[i] == '\r' && i + 1 < received.size() && received[i + 1] == '\n') {
            ++i;
        }
        if (lineStarted) {
            last = received.mid(start, i + 1 - start);
        }
        anyLineEnd = true;
        lineStarted = true;
        start = i + 1;
    }
    if (!anyLineEnd) {
        return startsLine ? received : QByteArray();
    }
    return last;
}

QString weightOf(const QByteArray& line, const BalanceDialect& dialect) {
    const std::string text = dialect.weightText(std::string_view(line.constData(), line.size()));
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace balance
