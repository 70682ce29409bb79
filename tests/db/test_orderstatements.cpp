#include "OrderStatements.h"

#include <QTest>

using namespace db;

class TestOrderStatements : public QObject {
    Q_OBJECT

private slots:
    void orderList() {
        QCOMPARE(orderListStatement(QStringLiteral("2009/7/7")),
                 QStringList({"SELECT 領藥單.配藥日期, 領藥單.領藥序號, 病人基本資料.姓名, "
                              "病人基本資料.性別, 病人基本資料.出生年月日",
                              "FROM 病人基本資料 INNER JOIN 領藥單 ON 病人基本資料.病歷號碼 = "
                              "領藥單.病歷號碼",
                              "WHERE 領藥單.配藥日期 Like \"2009/7/7\""}));
    }

    void orderLines() {
        QCOMPARE(orderLinesStatement(QStringLiteral("12"), QStringLiteral("2009/7/7")),
                 QStringList(
                     {"SELECT 病人基本資料.*, 領藥明細.*, 藥品資料表.SerialNumber, 領藥單.配藥日期",
                      "FROM 藥品資料表 INNER JOIN (病人基本資料 INNER JOIN (領藥單 INNER JOIN "
                      "領藥明細",
                      "ON (領藥單.配藥日期 = 領藥明細.配藥日期) AND (領藥單.領藥序號 = "
                      "領藥明細.領藥序號))",
                      "ON 病人基本資料.病歷號碼 = 領藥單.病歷號碼) ON 藥品資料表.藥品名稱 = "
                      "領藥明細.藥品名稱",
                      "WHERE (領藥單.領藥序號 Like\"12\")AND(領藥單.配藥日期 Like\"2009/7/7\")"}));
    }

    void valuesAreQuoted_data() {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("condition");
        QTest::newRow("quote in the sequence")
            << "A\"1"
            << "2009/7/7"
            << "WHERE (領藥單.領藥序號 Like\"A\"\"1\")AND(領藥單.配藥日期 Like\"2009/7/7\")";
        QTest::newRow("quotes in the day")
            << "1"
            << "\"x\""
            << "WHERE (領藥單.領藥序號 Like\"1\")AND(領藥單.配藥日期 Like\"\"\"x\"\"\")";
        QTest::newRow("day trimmed of blanks and controls")
            << " 1 "
            << " \t2009/7/7\r\n\x01"
            << "WHERE (領藥單.領藥序號 Like\" 1 \")AND(領藥單.配藥日期 Like\"2009/7/7\")";
        QTest::newRow("inner blanks kept")
            << "1"
            << "2009 / 7"
            << "WHERE (領藥單.領藥序號 Like\"1\")AND(領藥單.配藥日期 Like\"2009 / 7\")";
        QTest::newRow("only blanks")
            << "1"
            << " \t "
            << "WHERE (領藥單.領藥序號 Like\"1\")AND(領藥單.配藥日期 Like\"\")";
    }

    void valuesAreQuoted() {
        QFETCH(QString, sequence);
        QFETCH(QString, day);
        QFETCH(QString, condition);
        QCOMPARE(orderLinesStatement(sequence, day).last(), condition);
    }

    void orderListDayIsQuotedButNotTrimmed() {
        QCOMPARE(orderListStatement(QStringLiteral(" 7/7/09\"")).last(),
                 QStringLiteral("WHERE 領藥單.配藥日期 Like \" 7/7/09\"\"\""));
    }
};

QTEST_GUILESS_MAIN(TestOrderStatements)
#include "test_orderstatements.moc"
