#include "BalanceDialect.h"
#include "BalanceReadingText.h"

#include <QTest>
#include <QVariant>

using balance::BalanceDialect;
using balance::kSbiDialect;
using balance::kSicsDialect;
using balance::kStationDialect;

namespace {

// grams is left out where there are none.
void dialectRow(const BalanceDialect& dialect, const char* name, const QByteArray& line,
                const char* reading, QVariant grams = {}) {
    QTest::addRow("%s: %s", std::string(dialect.name).c_str(), name)
        << &dialect << line << QString(reading) << grams;
}

void row(const char* name, const QByteArray& line, const char* reading, QVariant grams = {}) {
    dialectRow(kStationDialect, name, line, reading, grams);
}

void notAReadingRow(const QByteArray& line, const BalanceDialect& dialect = kStationDialect) {
    dialectRow(dialect, ("not a reading: " + line.toPercentEncoding()).constData(), line, "none 0");
}

// A line padded with blanks to length characters, then given end.
QByteArray padded(const QByteArray& line, qsizetype length, const QByteArray& end = {}) {
    return line + QByteArray(length - line.size(), ' ') + end;
}

} // namespace

Q_DECLARE_METATYPE(const BalanceDialect*)

class TestBalanceReading : public QObject {
    Q_OBJECT

private slots:
    void linesAreUnderstood_data() {
        QTest::addColumn<const BalanceDialect*>("dialect");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QVariant>("grams");
        row("stable, CR LF", "ST,+00012.34  g\r\n", "stable 123400 g", 12.34);
        row("CR alone", "ST,+00012.34  g\r", "stable 123400 g", 12.34);
        row("LF alone", "ST,+00012.34  g\n", "stable 123400 g", 12.34);
        row("unstable, negative", "US,-00003.50  g\r\n", "unstable -35000 g", -3.5);
        row("four decimals", "ST,+0012.3456  g", "stable 123456 g", 12.3456);
        row("no decimals", "ST,+00000012  g", "stable 120000 g", 12.0);
        row("milligrams", "ST,+00012.34 mg", "stable 123400 mg", 0.01234);
        row("kilograms", "ST,+00012.34 kg", "stable 123400 kg", 12340.0);
        row("carats", "ST,+00012.34 ct", "stable 123400 ct", 2.468);
        row("pieces", "ST,+00000012pcs", "stable 120000 pcs");
        row("unknown unit", "ST,+00012.34 lb", "stable 123400 lb");
        row("no unit", "ST,+00012.34\r\n", "stable 123400");
        row("no header, no sign", "   12.3456 g\r\n", "stable 123456 g", 12.3456);
        row("no header, negative", "-0.5 g", "stable -5000 g", -0.5);
        row("blanks after sign and unit", "ST,-    12.34 g  \r\n", "stable -123400 g", -12.34);
        row("largest that fits", "922337203685477.5807", "stable 9223372036854775807");
        row("longest line", padded("ST,+00012.34  g", 64, "\r\n"), "stable 123400 g", 12.34);
        row("overload, garbage value", "OL,+9999999E+19\r\n", "overload 0");
        row("overload, no value", "OL\r\n", "overload 0");
        row("zero byte for the comma", QByteArray("ST\0+00012.34  g", 15), "none 0");
        row("one character too long", padded("ST,+00012.34  g", 65), "none 0");
        // No value, a value spoilt, or more than one.
        for (const char* line : {"", "hello", "ST,+  g", "ST,+.  g", "--1 g", "12.34.5 g",
                                 "ST,+1 2.34 g", "ST,+00012.34  g extra", "ST,+12.34 g\r\nST,+1 g",
                                 "\r\nST,+00012.34  g", "ST,+00012.34567 g"})
            notAReadingRow(line);
        // No header of a reading.
        for (const char* line :
             {"QT,+00012.34  g", "ST+00012.34  g", "st,+00012.34  g", "OLD,+1 g", "ST", "US,"})
            notAReadingRow(line);
        // Too many digits to fit.
        for (const char* line : {"922337203685477.5808", "99999999999999999999 g"})
            notAReadingRow(line);

        const BalanceDialect& sics = kSicsDialect;
        dialectRow(sics, "stable", "S S      12.34 g\r\n", "stable 123400 g", 12.34);
        dialectRow(sics, "moving", "S D      12.34 g\r\n", "unstable 123400 g", 12.34);
        dialectRow(sics, "negative kilograms", "S S    -0.0012 kg", "stable -12 kg", -1.2);
        dialectRow(sics, "blanks anywhere", "S  S 12.34   mg  ", "stable 123400 mg", 0.01234);
        dialectRow(sics, "pieces", "S S        100 PCS\r\n", "stable 1000000 PCS");
        dialectRow(sics, "overload", "S +\r\n", "overload 0");
        dialectRow(sics, "underload", "S -", "underload 0");
        dialectRow(sics, "negative, not underload", "S S -1 g", "stable -10000 g", -1.0);
        // Not now, errors, cut short and noise.
        for (const char* line : {"S I\r\n", "ES\r\n", "ET", "EL", "S S      12.34", "S S", "S",
                                 "S D ", "SS 12.34 g", "S X 12.34 g", "S S 12.34 g extra",
                                 "S S 1 2 g", "ST,+00012.34  g", "Z A", "I4 A \"0123\""})
            notAReadingRow(line, sics);

        const BalanceDialect& sbi = kSbiDialect;
        dialectRow(sbi, "stable", "+    12.34 g  \r\n", "stable 123400 g", 12.34);
        dialectRow(sbi, "net", "N     +    12.34 g  \r\n", "stable 123400 g", 12.34);
        dialectRow(sbi, "gross", "G#    +    12.34 g  \r\n", "stable 123400 g", 12.34);
        dialectRow(sbi, "moving: no unit", "N     -     3.50     \r\n", "unstable -35000");
        dialectRow(sbi, "no sign", "     12.34 mg \r\n", "stable 123400 mg", 0.01234);
        dialectRow(sbi, "overload", "N     +    High     \r\n", "overload 0");
        dialectRow(sbi, "underload, any case", "     LOW        ", "underload 0");
        dialectRow(sbi, "longest line", padded("+    12.34 g", 64, "\r\n"), "stable 123400 g",
                   12.34);
        // The tare memory, errors, cut short and noise.
        for (const char* line : {"T     +     1.00 g  \r\n", "       ERR 123      ", "N     ", "+",
                                 "N     + 12.34 g extra", "Highs",
                                 "\x1b"
                                 "P",
                                 "S S 12.34 g"})
            notAReadingRow(line, sbi);
        notAReadingRow(padded("+    12.34 g", 65), sbi);
    }

    void linesAreUnderstood() {
        QFETCH(const BalanceDialect*, dialect);
        QFETCH(QByteArray, line);
        QFETCH(QString, reading);
        QFETCH(QVariant, grams);
        QCOMPARE(readingText(line, *dialect), reading);
        const auto parsedGrams =
            dialect->parse(std::string_view(line.constData(), line.size())).grams();
        QCOMPARE(parsedGrams.has_value(), grams.isValid());
        if (grams.isValid()) {
            QCOMPARE(*parsedGrams, grams.toDouble());
        }
    }

    // What the weight box shows: the station's own cut, the others' value and unit as sent.
    void weightIsShownAsTheBalanceShowsIt_data() {
        QTest::addColumn<const BalanceDialect*>("dialect");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");
        const auto shownRow = [](const BalanceDialect& dialect, const QByteArray& line,
                                 const char* shown) {
            QTest::addRow("%s: %s", std::string(dialect.name).c_str(), line.trimmed().constData())
                << &dialect << line << QString(shown);
        };
        shownRow(kStationDialect, "ST,-00012.34  g\r\n", "-00012.34");
        shownRow(kSicsDialect, "S S      12.30 g\r\n", "12.30 g");
        shownRow(kSicsDialect, "S D  -  0.5  mg", "-0.5 mg");
        shownRow(kSicsDialect, "S +", "");
        shownRow(kSbiDialect, "N     +    12.30 g  \r\n", "12.30 g");
        shownRow(kSbiDialect, "-     3.50     \r\n", "-3.50");
        shownRow(kSbiDialect, "      High       ", "High");
        shownRow(kSbiDialect, "T     +     1.00 g  ", "");
    }

    void weightIsShownAsTheBalanceShowsIt() {
        QFETCH(const BalanceDialect*, dialect);
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(
                     dialect->weightText(std::string_view(line.constData(), line.size()))),
                 shown);
    }

    void dialectsAreFoundByName() {
        QCOMPARE(balance::dialectNamed("station"), &kStationDialect);
        QCOMPARE(balance::dialectNamed(" SICS "), &kSicsDialect);
        QCOMPARE(balance::dialectNamed("Sbi"), &kSbiDialect);
        QCOMPARE(balance::dialectNamed(""), nullptr);
        QCOMPARE(balance::dialectNamed("sics2"), nullptr);
        QCOMPARE(kStationDialect.requests.front().bytes, "PRT\r\n");
        QCOMPARE(kStationDialect.request("q")->bytes, "Q\r\n");
        QVERIFY(!kSbiDialect.request("Q"));
    }

    void serialNumbersAreRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QVariant>("serial");
        QTest::newRow("answer") << QByteArray("I4 A \"0123456789\"\r\n") << QVariant("0123456789");
        QTest::newRow("blanks") << QByteArray("I4  A  \"B12\"  ") << QVariant("B12");
        QTest::newRow("empty") << QByteArray("I4 A \"\"") << QVariant("");
        for (const char* line :
             {"I4 I", "I4 A 0123", "I4 A \"0123", "I4 B \"1\"", "I4A \"1\"", "EL", "\""})
            QTest::addRow("not an answer: %s", line) << QByteArray(line) << QVariant();
    }

    void serialNumbersAreRead() {
        QFETCH(QByteArray, line);
        QFETCH(QVariant, serial);
        const auto number =
            kSicsDialect.serialNumber(std::string_view(line.constData(), line.size()));
        QCOMPARE(number.has_value(), serial.isValid());
        if (number)
            QCOMPARE(QString::fromStdString(*number), serial.toString());
    }
};

QTEST_GUILESS_MAIN(TestBalanceReading)
#include "test_balancereading.moc"
