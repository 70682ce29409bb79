#include "DayText.h"

#include <QTest>

using namespace db;

namespace {

// Sets the three locale variables for one test and puts the old values back afterwards.
class LocaleEnvironment {
public:
    LocaleEnvironment(const QByteArray& all, const QByteArray& time, const QByteArray& lang) {
        for (const char* name : names)
            saved_ << qgetenv(name);
        set("LC_ALL", all);
        set("LC_TIME", time);
        set("LANG", lang);
    }
    ~LocaleEnvironment() {
        for (int i = 0; i < 3; ++i)
            set(names[i], saved_[i]);
    }

private:
    static void set(const char* name, const QByteArray& value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    static constexpr const char* names[3] = {"LC_ALL", "LC_TIME", "LANG"};
    QList<QByteArray> saved_;
};

} // namespace

class TestDayText : public QObject {
    Q_OBJECT

private slots:
    void byLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("text");
        const QDate july7(2009, 7, 7);
        QTest::newRow("zh_TW") << "zh_TW" << july7 << "2009/7/7";
        QTest::newRow("zh_TW.UTF-8") << "zh_TW.UTF-8" << july7 << "2009/7/7";
        QTest::newRow("en_US") << "en_US.UTF-8" << july7 << "7/7/09";
        QTest::newRow("en_US two digits") << "en_US" << QDate(2011, 12, 25) << "12/25/11";
        QTest::newRow("de_DE") << "de_DE" << july7 << "07.07.09";
        QTest::newRow("C") << "C" << july7 << "7/7/09";
        QTest::newRow("C.UTF-8") << "C.UTF-8" << july7 << "7/7/09";
        QTest::newRow("POSIX") << "POSIX" << july7 << "7/7/09";
        QTest::newRow("empty") << "" << QDate(2000, 10, 31) << "10/31/00";
        QTest::newRow("unknown") << "xx_YY" << july7 << "7/7/09";
    }

    void byLocale() {
        QFETCH(QString, locale);
        QFETCH(QDate, day);
        QFETCH(QString, text);
        QCOMPARE(DayText(day, locale), text);
    }

    void regionalLocale_data() {
        QTest::addColumn<QByteArray>("all");
        QTest::addColumn<QByteArray>("time");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("LC_ALL first")
            << QByteArray("zh_TW") << QByteArray("de_DE") << QByteArray("en_US") << "zh_TW"
            << "2009/7/7";
        QTest::newRow("then LC_TIME")
            << QByteArray() << QByteArray("de_DE.UTF-8") << QByteArray("C") << "de_DE.UTF-8"
            << "07.07.09";
        QTest::newRow("then LANG")
            << QByteArray() << QByteArray() << QByteArray("zh_TW.UTF-8") << "zh_TW.UTF-8"
            << "2009/7/7";
        QTest::newRow("none") << QByteArray() << QByteArray() << QByteArray() << ""
                              << "7/7/09";
    }

    void regionalLocale() {
        QFETCH(QByteArray, all);
        QFETCH(QByteArray, time);
        QFETCH(QByteArray, lang);
        QFETCH(QString, chosen);
        QFETCH(QString, text);
        LocaleEnvironment environment(all, time, lang);
        QCOMPARE(regionalLocaleName(), chosen);
        QCOMPARE(DayText(QDate(2009, 7, 7)), text);
    }
};

QTEST_GUILESS_MAIN(TestDayText)
#include "test_daytext.moc"
