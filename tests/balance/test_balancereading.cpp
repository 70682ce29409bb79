#include "BalanceReading.h"
#include "BalanceReadingText.h"

#include <QTest>
#include <QVariant>

namespace {

// grams is left out where there are none.
void row(const char* name, const QByteArray& line, const char* reading, QVariant grams = {}) {
    QTest::newRow(name) << line << QString(reading) << grams;
}

void notAReadingRow(const QByteArray& line) {
    row(("not a reading: " + line.toPercentEncoding()).constData(), line, "none 0");
}

// A line padded with blanks to length characters, then given end.
QByteArray padded(const QByteArray& line, qsizetype length, const QByteArray& end = {}) {
    return line + QByteArray(length - line.size(), ' ') + end;
}

} // namespace

class TestBalanceReading : public QObject {
    Q_OBJECT

private slots:
    void linesAreUnderstood_data() {
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
    }

    void linesAreUnderstood() {
        QFETCH(QByteArray, line);
        QFETCH(QString, reading);
        QFETCH(QVariant, grams);
        QCOMPARE(readingText(line), reading);
        const auto parsedGrams =
            balance::parseReading(std::string_view(line.constData(), line.size())).grams();
        QCOMPARE(parsedGrams.has_value(), grams.isValid());
        if (grams.isValid()) {
            QCOMPARE(*parsedGrams, grams.toDouble());
        }
    }
};

QTEST_GUILESS_MAIN(TestBalanceReading)
#include "test_balancereading.moc"
