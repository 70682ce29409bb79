#include "OrderStatements.h"

namespace db {

namespace {

QString trimmedOfControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString quotedValue(const QString& value) {
    QString escaped = value;
    return u'"' + escaped.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QStringList orderListStatement(const QString& dayText) {
    return {
        QStringLiteral("SELECT 領藥單.配藥日期, 領藥單.領藥序號, 病人基本資料.姓名, "
                       "病人基本資料.性別, 病人基本資料.出生年月日"),
        QStringLiteral("FROM 病人基本資料 INNER JOIN 領藥單 ON 病人基本資料.病歷號碼 = "
                       "領藥單.病歷號碼"),
        QStringLiteral("WHERE 領藥單.配藥日期 Like ") + quotedValue(dayText),
    };
}

QString drugStatement(const QString& drugName) {
    return QStringLiteral("SELECT * FROM 藥品資料表 WHERE 藥品資料表.藥品名稱 = ") +
           quotedValue(drugName);
}

QStringList orderLinesStatement(const QString& sequenceText, const QString& dayText) {
    return {
        QStringLiteral(
            "SELECT 病人基本資料.*, 領藥明細.*, 藥品資料表.SerialNumber, 領藥單.配藥日期"),
        QStringLiteral("FROM 藥品資料表 INNER JOIN (病人基本資料 INNER JOIN (領藥單 INNER JOIN "
                       "領藥明細"),
        QStringLiteral("ON (領藥單.配藥日期 = 領藥明細.配藥日期) AND (領藥單.領藥序號 = "
                       "領藥明細.領藥序號))"),
        QStringLiteral("ON 病人基本資料.病歷號碼 = 領藥單.病歷號碼) ON 藥品資料表.藥品名稱 = "
                       "領藥明細.藥品名稱"),
        QStringLiteral("WHERE (領藥單.領藥序號 Like") + quotedValue(sequenceText) +
            QStringLiteral(")AND(領藥單.配藥日期 Like") + quotedValue(trimmedOfControls(dayText)) +
            u')',
    };
}

} // namespace db
