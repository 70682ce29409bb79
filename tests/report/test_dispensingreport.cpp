#include "AuditTrail.h"
#include "CsvWriter.h"
#include "DayText.h"
#include "HourChart.h"
#include "HtmlWriter.h"
#include "PdfWriter.h"
#include "ReportReader.h"
#include "ReportTable.h"
#include "StationTranslation.h"
#include "TADOConnection.h"
#include "TestDatabase.h"
#include "ToolRun.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

using namespace report;

// The report read from a database whose every row the test wrote: three orders of one day, one
// of the next, and the audit rows of two stations and three users.
class TestDispensingReport : public QObject {
    Q_OBJECT

    const QDate day{2009, 7, 7};
    std::optional<TestDatabase> database;

    QString dayText(int offset = 0) const { return db::DayText(day.addDays(offset)); }

    void audit(const QString& time, const QString& station, const QString& user,
               const QString& event, const QString& sequence, int item = 0,
               const QString& weight = {}, const QVariant& grams = {}, const QString& serial = {}) {
        const QDateTime moment(day, QTime::fromString(time, Qt::ISODateWithMs));
        database->exec(
            QStringLiteral("INSERT INTO 配藥紀錄 (時間, 工作站, 使用者, 事件, 配藥日期, 領藥序號, "
                           "項次, 顯示重量, 應秤重量, SerialNumber) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {TestDatabase::onServer() ? QVariant(moment)
                                      : QVariant(moment.toString(Qt::ISODateWithMs)),
             station, user, event, dayText(), sequence, item ? QVariant(item) : QVariant(), weight,
             grams, serial});
    }

    DispensingReport read(int days = 1) {
        db::TADOConnection connection(database->location());
        return readReport(connection, day, day.addDays(days - 1));
    }

    QString written(const QByteArray& bytes, const QString& name) const {
        QFile file(QDir(database->folder()).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

private slots:
    void init() {
        database.emplace();
        database->addPatient(QStringLiteral("P1"), QStringLiteral("王小明"), 1);
        database->addPatient(QStringLiteral("P2"), QStringLiteral("Lee, \"Big\" Hua"), 0);
        database->addDrug(QStringLiteral("A"), QStringLiteral("E001"));
        database->addDrug(QStringLiteral("=1+1"), QStringLiteral("E002"));
        const QString stored = journal_event::lineStored();
        // Sequence numbers that sort differently as text.
        database->addOrder(dayText(), QStringLiteral("105"), QStringLiteral("P1"));
        database->addOrder(dayText(), QStringLiteral("7"), QStringLiteral("P1"));
        database->addOrder(dayText(), QStringLiteral("12"), QStringLiteral("P2"));
        database->addOrder(dayText(1), QStringLiteral("7"), QStringLiteral("P2"));
        database->addLine(dayText(), QStringLiteral("7"), 2, QStringLiteral("=1+1"), stored);
        database->addLine(dayText(), QStringLiteral("7"), 1, QStringLiteral("A"), stored);
        database->addLine(dayText(), QStringLiteral("12"), 1, QStringLiteral("A"), stored);
        database->addLine(dayText(), QStringLiteral("12"), 2, QStringLiteral("=1+1"));
        database->addLine(dayText(1), QStringLiteral("7"), 1, QStringLiteral("A"), stored);

        using namespace journal_event;
        const QString s1 = QStringLiteral("藥局-1");
        const QString s2 = QStringLiteral("藥局-2");
        audit("09:00:00", s1, "alice", orderOpened(), "7");
        audit("09:01:00", s1, "alice", wrongContainer(), "7", 1);
        // Stored, reset by hand and stored again: the later row tells who.
        audit("09:02:00", s2, "bob", stored, "7", 1);
        audit("09:02:30", s1, "alice", stored, "7", 1, "12.34克", 12.3);
        audit("09:03:00", s1, "alice", stored, "7", 2);
        audit("09:10:00", s1, "alice", orderCompleted(), "7");
        audit("10:00:00", s2, "bob", orderOpened(), "12");
        audit("10:05:00", s2, "bob", wrongContainer(), "12", 1, {}, {}, "E002");
        audit("10:06:00", s2, "bob", wrongContainer(), "12", 1, {}, {}, "E002");
        audit("10:30:00", s2, "bob", stored, "12", 1);
        audit("10:31:00", s2, "bob", orderStopped(), "12");
        audit("11:00:00", s1, "bob", orderOpened(), "12");
        audit("11:20:00", s1, "bob", orderCompleted(), "12");
        audit("14:00:00", s2, "carol", orderOpened(), "105");
        audit("14:05:00", s2, "carol", orderCompleted(), "105");
    }

    void cleanup() { database.reset(); }

    void countsTheDay() {
        // A container left lying, recorded on every turn by an earlier station: one presentation.
        for (const char* time : {"10:06:00.400", "10:06:00.800", "10:06:01.200"})
            audit(time, QStringLiteral("藥局-2"), "bob", journal_event::wrongContainer(), "12", 1,
                  {}, {}, "E002");
        const DispensingReport report = read();
        QVERIFY(report.unfilledColumns.isEmpty());
        QStringList sequences;
        for (const OrderReport& order : report.orders)
            sequences << order.sequence;
        QCOMPARE(sequences, QStringList({"7", "12", "105"}));
        QCOMPARE(report.lineCount(), 4);
        QCOMPARE(report.storedLineCount(), 3);

        const LineReport& weighed = report.orders[0].lines[0];
        QCOMPARE(weighed.item, 1);
        QCOMPARE(weighed.user, QStringLiteral("alice"));
        QCOMPARE(weighed.station, QStringLiteral("藥局-1"));
        QCOMPARE(weighed.storedAt.toLocalTime(), QDateTime(day, QTime(9, 2, 30)));
        QCOMPARE(weighed.weightShown, QStringLiteral("12.34克"));
        QCOMPARE(weighed.expectedGrams, std::optional<double>(12.3));
        QCOMPARE(report.orders[1].lines[1].user, QString()); // never stored
        QCOMPARE(report.orders[1].lines[1].expectedGrams, std::nullopt);

        auto figures = [](const QList<Figures>& list) {
            QStringList text;
            for (const Figures& entry : list)
                text << QStringLiteral("%1 %2 %3 %4")
                            .arg(entry.name)
                            .arg(entry.ordersCompleted)
                            .arg(entry.linesStored)
                            .arg(entry.wrongContainers);
            return text;
        };
        QCOMPARE(figures(report.stations), QStringList({"藥局-1 2 2 1", "藥局-2 1 2 2"}));
        QCOMPARE(figures(report.users), QStringList({"alice 1 2 1", "bob 1 2 2", "carol 1 0 0"}));

        // 5, 10 and 80 minutes: order 12 counts from its first opening, before it was stopped.
        QCOMPARE(report.medianSeconds, std::optional<double>(600));
        QVERIFY(report.longest);
        QCOMPARE(report.longest->sequence, QStringLiteral("12"));
        QCOMPARE(report.longest->seconds, 4800);
        std::array<int, 24> perHour{};
        perHour[9] = 3;
        perHour[10] = 1;
        QCOMPARE(report.storedPerHour, perHour);
    }

    void spansDays() {
        const DispensingReport report = read(2);
        QCOMPARE(report.orders.size(), 4);
        QCOMPARE(report.orders.last().day, dayText(1));
        QCOMPARE(report.storedLineCount(), 4);
        QVERIFY(!errorOf([&] { daysOf(day, day.addDays(-1)); }).isEmpty());
        QCOMPARE(daysOf(day, day.addDays(maxDays - 1)).size(), maxDays);
        QVERIFY(!errorOf([&] { daysOf(day, day.addDays(maxDays)); }).isEmpty());
    }

    void listsOrdersWithoutTheAuditTable() {
        database->exec(QStringLiteral("DROP TABLE 配藥紀錄"));
        const DispensingReport report = read();
        QCOMPARE(report.orders.size(), 3);
        QCOMPARE(report.storedLineCount(), 3);
        QVERIFY(report.stations.isEmpty());
        namespace audit = db::audit;
        QCOMPARE(report.unfilledColumns, QStringList({audit::Time, audit::Station, audit::User,
                                                      audit::WeightShown, audit::ExpectedGrams}));
        QVERIFY(htmlOf(report).contains(unfilledNotice(report).toHtmlEscaped()));
    }

    // The report's own words follow the desk's language, Chinese in Traditional script only; the
    // database's names stay as they are.
    void headingsSpeakTheDesksLanguage() {
        {
            const StationTranslation chinese(QLocale(QLocale::Chinese, QLocale::Taiwan));
            QVERIFY(chinese.installed());
            const QString html = htmlOf(read());
            for (const QString& heading :
                 {QStringLiteral("<h1>配藥報表，2009-07-07</h1>"),
                  QStringLiteral("<h2>領藥單</h2>"),
                  QStringLiteral("<h2>每小時配藥完成的品項</h2>"),
                  QStringLiteral("<th>工作站</th><th>全部完成的領藥單</th>")})
                QVERIFY2(html.contains(heading), qPrintable(heading));
        }
        const QString html = htmlOf(read());
        for (const QString& heading :
             {QStringLiteral("<h1>Dispensing report, 2009-07-07</h1>"),
              QStringLiteral("<h2>Orders</h2>"), QStringLiteral("<h2>Lines stored per hour</h2>"),
              QStringLiteral("<th>工作站</th><th>Orders completed</th>")})
            QVERIFY2(html.contains(heading), qPrintable(heading));
        QVERIFY(StationTranslation(QLocale(QLocale::Chinese, QLocale::HongKong)).installed());
        QVERIFY(!StationTranslation(QLocale(QLocale::Chinese, QLocale::China)).installed());
        QVERIFY(!StationTranslation(QLocale::c()).installed());
    }

    // Python's csv module reads the rows the report holds; a formula is defused.
    void csvReadsBackInPython() {
        const DispensingReport report = read();
        const QByteArray csv = csvOf(report);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QString path = written(csv, QStringLiteral("report.csv"));
        QProcess python;
        python.start(
            QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:"
                            " print(json.dumps(list(csv.reader(f))))"),
             path});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QList<QStringList> expected{lineHeadings()};
        for (const OrderReport& order : report.orders) {
            if (order.lines.isEmpty())
                expected << lineCells(order, nullptr);
            for (const LineReport& line : order.lines)
                expected << lineCells(order, &line);
        }
        expected[2][5] = QStringLiteral("'=1+1");
        expected[4][5] = QStringLiteral("'=1+1");
        QCOMPARE(rows.size(), expected.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].toVariant().toStringList(), expected[i]);
        QCOMPARE(expected[3][3], QStringLiteral("Lee, \"Big\" Hua"));
    }

    // A real browser draws the table and the chart's bars.
    void htmlRendersInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            QSKIP("chromium is not installed");
        const QString page = written(htmlOf(read()).toUtf8(), QStringLiteral("report.html"));
        const QString shot = QDir(database->folder()).filePath(QStringLiteral("shot.png"));
        QProcess browser;
        browser.start(
            chromium,
            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
             QStringLiteral("--disable-gpu"), QStringLiteral("--window-size=1200,1400"),
             // A closed network refuses the browser's own connections, many at a time.
             QStringLiteral("--disable-background-networking"),
             QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
             QStringLiteral("--no-first-run"),
             QStringLiteral("--user-data-dir=") + database->folder() + QStringLiteral("/browser"),
             QStringLiteral("--screenshot=") + shot, QUrl::fromLocalFile(page).toString()});
        QVERIFY(browser.waitForFinished(120000));
        const QImage image(shot);
        QVERIFY2(!image.isNull(), qPrintable(browser.readAllStandardError()));
        const QRgb bar = hourChartBarColour.rgb();
        int barPixels = 0;
        int darkPixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                barPixels += qAbs(qRed(pixel) - qRed(bar)) + qAbs(qGreen(pixel) - qGreen(bar)) +
                                 qAbs(qBlue(pixel) - qBlue(bar)) <
                             12;
                darkPixels += qGray(pixel) < 80;
            }
        QVERIFY2(barPixels > 1000, qPrintable(QString::number(barPixels)));
        QVERIFY2(darkPixels > 5000, qPrintable(QString::number(darkPixels)));
    }

    void pdfTextHoldsTheOrders() {
        const QString pdf = written(pdfOf(read()), QStringLiteral("report.pdf"));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(60000));
        QCOMPARE(text.exitCode(), 0);
        // Qt's writer maps some CJK glyphs back to the Kangxi radicals that share them (高 as ⾼),
        // which compatibility normalisation folds back.
        const QString words = QString::fromUtf8(text.readAllStandardOutput())
                                  .normalized(QString::NormalizationForm_KC);
        QVERIFY2(words.contains(QStringLiteral("王小明")), qPrintable(words));
        for (const char* sequence : {"7", "12", "105"})
            QVERIFY2(
                words.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\s").arg(sequence))),
                qPrintable(sequence));
    }

    void toolExits_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("report") << QStringList{"--day", "2009-07-07"} << 0 << QString();
        QTest::newRow("unknown day") << QStringList{"--day", "2009/7/7"} << 1 << "is not a day";
        QTest::newRow("unknown day on a Chinese desk")
            << QStringList{"--day", "2009/7/7", "--desk=zh_TW.UTF-8"} << 1 << "不是日期";
        QTest::newRow("from after to") << QStringList{"--from", "2009-07-08", "--to", "2009-07-07"}
                                       << 1 << "is after the last day";
        QTest::newRow("missing file")
            << QStringList{"--file", "none.db"} << 1 << "no such database file";
        QTest::newRow("unreachable server")
            << QStringList{"--server", "host=127.0.0.1 port=1 connect_timeout=3"} << 1
            << "127.0.0.1";
        QTest::newRow("pdf to standard output")
            << QStringList{"--format", "pdf"} << 1 << "needs --output";
        QTest::newRow("no audit table")
            << QStringList{"--day", "2009-07-07", "--drop"} << 2 << db::audit::Table;
    }

    void toolExits() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        if (arguments.removeAll(QStringLiteral("--drop")))
            database->exec(QStringLiteral("DROP TABLE 配藥紀錄"));
        // The tool reads its language from the locale it inherits.
        const QByteArray testLocale = qgetenv("LC_ALL");
        const auto restoreLocale = qScopeGuard([&] { qputenv("LC_ALL", testLocale); });
        for (const QString& desk : arguments.filter(QStringLiteral("--desk="))) {
            qputenv("LC_ALL", desk.section(u'=', 1).toUtf8());
            arguments.removeAll(desk);
        }
        if (TestDatabase::onServer() && !arguments.contains(QStringLiteral("--server")) &&
            !arguments.contains(QStringLiteral("--file")))
            arguments << QStringLiteral("--server") << database->location().target();
        if (!arguments.contains(QStringLiteral("--format")))
            arguments << QStringList{"--format", "csv", "--output", "r.csv"};
        const ToolRun run =
            runTool(QStringLiteral("dispensing-report"), arguments, database->folder());
        QCOMPARE(run.exitCode, status);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QCOMPARE(QFile::exists(QDir(database->folder()).filePath("r.csv")), status != 1);
    }
};

QTEST_MAIN(TestDispensingReport)
#include "test_dispensingreport.moc"
