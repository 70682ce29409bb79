#include "StatementText.h"

#include <QTest>

using namespace db;

class TestStatementText : public QObject {
    Q_OBJECT

private slots:
    void rewrite_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("postgres");
        QTest::newRow("plain") << "SELECT 1"
                               << "SELECT 1"
                               << "SELECT 1";
        QTest::newRow("double quoted text") << "x = \"2009/7/7\""
                                            << "x = '2009/7/7'"
                                            << "x = '2009/7/7'";
        QTest::newRow("doubled quote") << "x = \"A\"\"1\""
                                       << "x = 'A\"1'"
                                       << "x = 'A\"1'";
        QTest::newRow("single quote inside") << "x = \"O'Neil\""
                                             << "x = 'O''Neil'"
                                             << "x = 'O''Neil'";
        QTest::newRow("single quoted stays") << "x = 'a\"b' AND y = \"c\""
                                             << "x = 'a\"b' AND y = 'c'"
                                             << "x = 'a\"b' AND y = 'c'";
        QTest::newRow("bracketed name") << "[a\"b] = \"c\""
                                        << "[a\"b] = 'c'"
                                        << "\"a\"\"b\" = 'c'";
        QTest::newRow("empty text") << "x = \"\""
                                    << "x = ''"
                                    << "x = ''";
        QTest::newRow("unclosed left alone") << "x = \"abc"
                                             << "x = \"abc"
                                             << "x = \"abc";
        QTest::newRow("Like on a dotted name")
            << "WHERE 領藥單.配藥日期 Like \"12/8/26\""
            << "WHERE 領藥單.配藥日期 Like '12/8/26'"
            << "WHERE lower(領藥單.配藥日期) LIKE lower('12/8/26') ESCAPE '' ";
        QTest::newRow("Like without spaces")
            << "WHERE (t.a Like\"x\")AND(t.b Like\"y\")"
            << "WHERE (t.a Like'x')AND(t.b Like'y')"
            << "WHERE (lower(t.a) LIKE lower('x') ESCAPE '' )AND(lower(t.b) LIKE lower('y') "
               "ESCAPE '' )";
        QTest::newRow("Not Like on a bracketed name")
            << "[a b] NOT like 'x'"
            << "[a b] NOT like 'x'"
            << "lower(\"a b\") NOT LIKE lower('x') ESCAPE '' ";
        QTest::newRow("Like after an expression") << "a || b Like \"x\""
                                                  << "a || b Like 'x'"
                                                  << "a || b ILIKE 'x' ESCAPE '' ";
        QTest::newRow("Like on a function") << "upper(a) Like \"x\""
                                            << "upper(a) Like 'x'"
                                            << "upper(a) ILIKE 'x' ESCAPE '' ";
        QTest::newRow("Like of two names") << "a Like b"
                                           << "a Like b"
                                           << "a ILIKE b";
        QTest::newRow("Like inside text stays") << "x = \"a Like b\""
                                                << "x = 'a Like b'"
                                                << "x = 'a Like b'";
        QTest::newRow("backslash is plain") << "x Like \"a\\\""
                                            << "x Like 'a\\'"
                                            << "lower(x) LIKE lower('a\\') ESCAPE '' ";
    }

    void rewrite() {
        QFETCH(QString, statement);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgres);
        QCOMPARE(toEngineStatement(statement, Engine::Sqlite), sqlite);
        QCOMPARE(toEngineStatement(statement, Engine::Postgres), postgres);
    }

    void spellingComesFromTheStatement() {
        const QString statement =
            QStringLiteral("SELECT t.SerialNumber, 'serialNUMBER', x FROM t WHERE a = \"NAME\"");
        QCOMPARE(spellingIn(statement, QStringLiteral("serialnumber")),
                 QStringLiteral("SerialNumber"));
        QCOMPARE(spellingIn(statement, QStringLiteral("name")), QStringLiteral("name"));
        QCOMPARE(spellingIn(statement, QStringLiteral("serial")), QStringLiteral("serial"));
    }
};

QTEST_GUILESS_MAIN(TestStatementText)
#include "test_statementtext.moc"
